asciiareafile areas.txt
counterstyle 1
counterlength 3
sortby date
sortorder ascending
