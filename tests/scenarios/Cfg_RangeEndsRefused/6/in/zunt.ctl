counterstyle 1
counterlength 1
sortby name
