farea c:\max\farea
counterstyle 1
counterlength 3
debug yes
bbslog board.log
