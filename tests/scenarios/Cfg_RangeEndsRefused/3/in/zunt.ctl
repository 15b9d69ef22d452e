farea c:\maxarea
counterstyle 1
counterlength 3
top 0
