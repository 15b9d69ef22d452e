; c

FArea
