counterlength 2
