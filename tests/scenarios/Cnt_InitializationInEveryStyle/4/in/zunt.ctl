asciiareafile areas.txt
counterstyle 4
counterlength 1
logfile zunt.log
zeropadd yes
tabulate 9
