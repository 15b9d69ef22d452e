; ZUNT.CTL - a sample control file for a Maximus board in C:\MAX.
; Put it beside ZUNT.EXE (ZUNT reads ZUNT.CTL from the program's own
; directory), or name it:  ZUNT /cC:\MAX\ZUNT\ZUNT.CTL
; Every line is "keyword value" with one blank between them; a ";" in column
; one starts a comment. A path may name an environment variable as %NAME%.
;
; --- Where the file areas are ---------------------------------------------
; The Maximus file area database: the path of farea.dat (farea.idx is read
; beside it).
FArea C:\MAX\FAREA.DAT
; Or, or as well, the file areas as plain text: one "name directory
; [files.bbs path]" a line.
;AsciiAreaFile C:\MAX\ZUNT\AREAS.TXT
; "no": look for FILES.BBS in the download directory before asking the
; area configuration.
;UseAreaDatFirst yes
; Maximus' MAXFILES.IDX, to find a file by its name (needs FArea).
;MaxFilesIdx C:\MAX\MAXFILES.IDX
; Accept MAXFILES.IDX entries with the same name and another extension.
;RelaxedIndexMatch no
; Checked against the number of file areas (1-2048).
;MaxFileAreas 1024
;
; --- The logs -------------------------------------------------------------
; The board's log and each mailer's log, read in this order. A ".ZNT" file
; beside each remembers how far it was read.
BbsLog C:\MAX\MAX.LOG
MailerLog C:\BINKLEY\BINKLEY.LOG
; A text that marks a sent file in a mailer log (repeatable; "DL-" is
; always tried last). Binkley-style mailers write "Sent-", binkd "sent:".
MailerString Sent-
; Uploads reported in the logs are appended to this file.
;UploadLog C:\MAX\ZUNT\UPLOADS.LOG
; Files sent from this directory are not counted (repeatable).
;IgnorePath C:\MAX\FILES\PRIVATE
; "yes": files that came with a .TIC file are not counted.
;IgnoreTic no
; "before": a .TIC line comes before its file in the logs.
;TicFile after
;
; --- The counters ---------------------------------------------------------
; The counter style: 1 [ ], 2 { }, 3 ( ), 4 < >. Required.
CounterStyle 1
; The least number of digits between the brackets (1-6). Required.
CounterLength 3
; "yes": fill the counter with zeros instead of blanks.
;ZeroPadd no
; The column (1-26) where a new counter stands; /i aligns every counter there.
;Tabulate 15
; "yes": turn the hard space (byte 255) in FILES.BBS lines into a blank.
;KillHardSpace no
; /i cuts descriptions to this length (0: never).
;MaxDescLen 0
; /i sorts the file lines by name or date ...
;SortBy name
; ... ascending or descending (required with SortBy).
;SortOrder ascending
;
; --- Statistics and the Top Files bulletins (ZUNT /s) ----------------------
Statistics C:\MAX\ZUNT\ZUNT.STA
; How many files the bulletins list (1-100).
Top 25
; The bulletins: a board file with colour codes, and plain text.
BbsOut C:\MAX\MISC\TOPFILES.BBS
TextOut C:\MAX\MISC\TOPFILES.TXT
; A file of wildcard patterns, one a line, left out of the bulletins.
;ExcludeFromList C:\MAX\ZUNT\EXCLUDE.TXT
; The board's name in the bulletins.
SystemName My Maximus Board
;
; --- ZUNT's own activity log ----------------------------------------------
LogFile C:\MAX\ZUNT\ZUNT.LOG
; Any value: debug lines in the activity log, every line flushed.
;Debug yes
; Recorded only (the OS/2 build's process priority).
;Priority regular
