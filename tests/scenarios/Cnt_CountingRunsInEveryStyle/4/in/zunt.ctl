asciiareafile areas.txt
counterstyle 4
counterlength 2
logfile zunt.log
zeropadd yes
tabulate 9
bbslog max4.log
