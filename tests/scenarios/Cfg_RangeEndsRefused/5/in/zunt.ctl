farea c:\maxarea
counterstyle 1
counterlength 3
sortby date
sortorder ascending
