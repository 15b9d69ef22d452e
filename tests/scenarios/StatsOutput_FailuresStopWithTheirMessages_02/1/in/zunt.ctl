farea c:\max\farea
counterstyle 1
counterlength 3
logfile zunt.log
statistics zunt.sta
textout top.txt
bbsout nodir/top.bbs
