asciiareafile areas.txt
counterstyle 1
counterlength 2
logfile zunt.log
bbslog max.log
