asciiareafile areas.txt
counterstyle 1
counterlength 3
bbslog max.log
