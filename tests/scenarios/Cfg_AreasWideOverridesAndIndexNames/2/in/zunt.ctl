counterstyle 1
counterlength 2
logfile zunt.log
bbslog max.log
farea max\farea.dat
maxfilesidx max\maxfiles.idx
relaxedindexmatch yes
