asciiareafile areas.txt
counterstyle 2
counterlength 3
logfile zunt.log
bbslog max2.log
