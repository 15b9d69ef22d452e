farea c:\maxarea
counterstyle 1
counterlength 3
maxdesclen 1025
