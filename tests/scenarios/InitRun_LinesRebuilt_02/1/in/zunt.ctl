counterstyle 1
counterlength 3
logfile zunt.log
asciiareafile areas.txt
