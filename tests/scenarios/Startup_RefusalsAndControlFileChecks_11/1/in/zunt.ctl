maxfilesidx x
asciiareafile a
