counterlength 65537
