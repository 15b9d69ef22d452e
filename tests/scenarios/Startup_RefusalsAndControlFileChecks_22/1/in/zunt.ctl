farea f
counterstyle 2
