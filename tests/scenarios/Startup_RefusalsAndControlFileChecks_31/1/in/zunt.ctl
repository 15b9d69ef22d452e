farea c:\max\farea
counterstyle 1
counterlength 3
tabulate 1
tabulate 26
top 100
maxdesclen 0
