// ProcessSetup.h: what every program of the project does first, before it
// opens any database file.
#pragma once

// Gives every standard stream that the starter left closed /dev/null, so that
// no database file takes its number (what is meant for the answer or a log
// would land in the file), and makes a write beyond the file-size limit fail
// with an error the file layer answers by putting the file back, instead of
// killing the process part-way through a rewrite.
void PrepareProcess();
