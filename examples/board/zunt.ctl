; ZUNT.CTL for the sample board. Paths are relative to the board folder,
; so run zunt from there:  zunt /czunt.ctl
; Every line is "keyword value"; a ";" in column one starts a comment.
;
; The Maximus file area database: the path of farea.dat (farea.idx is read
; beside it). The sample board lists its areas in areas.txt instead; max\
; holds a generated farea.dat for the same three areas.
;farea max\farea.dat
; The file areas as plain text: name, download directory, optional list path.
AsciiAreaFile areas.txt
; Read the areas from farea.dat before the ASCII area file ("no": the other way).
UseAreaDatFirst yes
; Maximus' maxfiles.idx, to find files by name (needs farea).
;MaxFilesIdx max\maxfiles.idx
; ZUNT's own activity log.
LogFile zunt.log
; The board's log, and each mailer's log; they are read in this order.
BbsLog logs\max.log
MailerLog logs\binkd.log
; A text that marks a sent file in a mailer log ("DL-" is always tried last).
MailerString sent:
; Uploads reported in the logs are copied here.
UploadLog uploads.log
; Downloads from this directory are not counted (a trailing separator is added).
IgnorePath files\private
; The counter style: 1 [ ], 2 { }, 3 ( ), 4 < >.
CounterStyle 1
; The least number of digits between the brackets (1-6).
CounterLength 2
; Fill the counter with zeros instead of blanks.
ZeroPadd no
; With "yes", files that came with a .tic file are not counted.
IgnoreTic no
; With "before", a .tic line is expected before its file in the logs.
TicFile after
; Replace the hard space (byte 255) in FILES.BBS lines by a blank.
KillHardSpace no
; The column (1-26) where a new counter goes when a line has no description.
Tabulate 15
; The statistics file.
Statistics zunt.sta
; How many files the Top Files bulletins list (1-100).
Top 10
; The Top Files bulletins: board file with colour codes, and plain text.
BbsOut topfiles.bbs
TextOut topfiles.txt
; Files listed in this file (one wildcard pattern a line) never appear in the bulletins.
ExcludeFromList exclude.txt
; The board's name in the bulletins.
SystemName ZUNT Sample Board
; Checked for the number of file areas (1-2048).
MaxFileAreas 1024
; Process priority of the old OS/2 build: idle, regular, timecritical, foreground.
Priority regular
; The initialization run cuts descriptions to this length (0: never).
MaxDescLen 0
; The initialization run sorts file lines by name or date ...
SortBy name
; ... ascending or descending.
SortOrder ascending
; Accept maxfiles.idx entries that match by name only.
RelaxedIndexMatch no
; Write debug lines ("?") to the activity log, and flush every line.
;Debug yes
