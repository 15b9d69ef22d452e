farea c:\max\farea
counterstyle 1
counterlength 3
logfile %ZName%_%%_%NOPE%.LOG
