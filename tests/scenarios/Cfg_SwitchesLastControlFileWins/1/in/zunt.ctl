farea c:\max\farea
counterstyle 1
counterlength 3
