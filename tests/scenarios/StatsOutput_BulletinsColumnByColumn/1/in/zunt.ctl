farea c:\max\farea
counterstyle 1
counterlength 3
logfile zunt.log
statistics zunt.sta
textout top.txt
bbsout top.bbs
systemname My Board
top 3
excludefromlist skip.lst
