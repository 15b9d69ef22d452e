asciiareafile areas.txt
counterstyle 1
counterlength 2
logfile zunt.log
mailerstring sent:
mailerstring Sending
bbslog max.log
