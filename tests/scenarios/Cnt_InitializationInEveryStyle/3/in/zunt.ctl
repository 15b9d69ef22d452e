asciiareafile areas.txt
counterstyle 3
counterlength 3
logfile zunt.log
zeropadd yes
