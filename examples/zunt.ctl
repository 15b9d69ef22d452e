; zunt.ctl - a sample control file for a Maximus board under /srv/bbs.
; Copy it (for example to /etc/zunt/zunt.ctl), change the paths and run
;   zunt /c/etc/zunt/zunt.ctl
; Every line is "keyword value" with one blank between them; a ";" in column
; one starts a comment. Keywords may be written in any case; values are
; lower-cased (but MailerString and SystemName), and a path element that
; does not exist as written is matched ignoring case. A path may name an
; environment variable as %NAME%. Paths written the DOS way ("c:\max\...")
; work too: ZUNT_DRIVE_C=/srv/bbs in the environment maps drive C:.
;
; --- Where the file areas are ---------------------------------------------
; The Maximus file area database: the path of farea.dat (farea.idx is read
; beside it).
FArea /srv/bbs/max/farea.dat
; Or, or as well, the file areas as plain text: one "name directory
; [files.bbs path]" a line.
;AsciiAreaFile /srv/bbs/areas.txt
; "no": look for files.bbs in the download directory before asking the
; area configuration.
;UseAreaDatFirst yes
; Maximus' maxfiles.idx, to find a file by its name (needs FArea).
;MaxFilesIdx /srv/bbs/max/maxfiles.idx
; Accept maxfiles.idx entries with the same name and another extension.
;RelaxedIndexMatch no
; Checked against the number of file areas (1-2048).
;MaxFileAreas 1024
;
; --- The logs -------------------------------------------------------------
; The board's log and each mailer's log, read in this order. A ".znt" file
; beside each remembers how far it was read.
BbsLog /srv/bbs/max/max.log
MailerLog /var/log/binkd/binkd.log
; A text that marks a sent file in a mailer log (repeatable; "DL-" is
; always tried last). binkd writes "sent:", Binkley-style mailers "Sent-".
MailerString sent:
;MailerString Sent-
; Uploads reported in the logs are appended to this file.
;UploadLog /srv/bbs/uploads.log
; Files sent from this directory are not counted (repeatable).
;IgnorePath /srv/bbs/files/private
; "yes": files that came with a .tic file are not counted.
;IgnoreTic no
; "before": a .tic line comes before its file in the logs.
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
; --- Statistics and the Top Files bulletins (zunt /s) ----------------------
Statistics /srv/bbs/zunt/zunt.sta
; How many files the bulletins list (1-100).
Top 25
; The bulletins: a board file with colour codes, and plain text.
BbsOut /srv/bbs/misc/topfiles.bbs
TextOut /srv/bbs/misc/topfiles.txt
; A file of wildcard patterns, one a line, left out of the bulletins.
;ExcludeFromList /srv/bbs/zunt/exclude.txt
; The board's name in the bulletins.
SystemName My Maximus Board
;
; --- ZUNT's own activity log ----------------------------------------------
LogFile /srv/bbs/zunt/zunt.log
; Any value: debug lines in the activity log, every line flushed.
;Debug yes
; Recorded only (the OS/2 build's process priority).
;Priority regular
