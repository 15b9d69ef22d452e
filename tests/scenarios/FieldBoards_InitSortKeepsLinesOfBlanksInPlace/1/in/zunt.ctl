asciiareafile areas.txt
counterstyle 1
counterlength 2
sortby name
sortorder ascending
