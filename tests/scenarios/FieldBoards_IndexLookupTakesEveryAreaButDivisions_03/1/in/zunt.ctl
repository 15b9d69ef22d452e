counterstyle 1
counterlength 2
bbslog max.log
farea max\farea.dat
maxfilesidx max\maxfiles.idx
