farea c:\max\farea
counterstyle 1
counterlength 3
logfile ZUNT.LOG
uploadlog up.log
