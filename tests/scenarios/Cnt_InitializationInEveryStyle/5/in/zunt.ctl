asciiareafile areas.txt
counterstyle 1
counterlength 6
logfile zunt.log
zeropadd yes
maxdesclen 24
