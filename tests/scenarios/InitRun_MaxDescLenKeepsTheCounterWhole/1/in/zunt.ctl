counterstyle 1
counterlength 6
logfile zunt.log
asciiareafile areas.txt
bbslog max.log
maxdesclen 20
