farea c:\maxarea
counterstyle 1
counterlength 3
counterstyle 5
