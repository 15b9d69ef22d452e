asciiareafile areas.txt
counterstyle 1
counterlength 3
bbslog max.log
counterlength 1
counterstyle 4
