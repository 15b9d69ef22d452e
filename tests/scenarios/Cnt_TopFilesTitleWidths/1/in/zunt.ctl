counterstyle 1
counterlength 3
statistics zunt.sta
textout top.txt
bbsout top.bbs
farea c:\max\farea
systemname NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN
top 2
