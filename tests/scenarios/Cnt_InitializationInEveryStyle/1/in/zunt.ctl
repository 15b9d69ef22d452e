asciiareafile areas.txt
counterstyle 1
counterlength 3
logfile zunt.log
statistics zunt.sta
