counterstyle 1
counterlength 3
logfile zunt.log
farea areas.txt
