// The line format of the manifest and the install logs: reading lines,
// appending records, matching record prefixes (InstallNames.h) and the two
// splits of a file record's argument, one for copying and one for removal.
//
// A line ends with a line feed; the files are read and written in text mode,
// so a writer puts carriage return and line feed. A record is a line that
// begins, at its first character, with a record prefix; every other line is
// inert, whatever it holds.
#pragma once
#include <stdio.h>
#include "framework/String.h"

// Size of the line buffer of every reader: at most 511 bytes of text,
// line feed included, per read.
constexpr int kLogLineSize = 512;

// Reads the next line of a file opened in text mode into a buffer of
// kLogLineSize bytes. A longer line is read in parts, each part coming back
// as a line of its own. Then every trailing character whose code is 32 or
// lower (blanks, tabs, the line end, other control characters) is removed,
// one at a time from the last, but never the first character of the line.
// Returns false at the end of the file (or when pFile is null).
bool ReadLogLine(FILE* pFile, char* pszLine);

// A log opened for reading in text mode, closed at scope exit. A file that
// cannot be opened reads as empty.
class CLogReader {
public:
    CLogReader() = default;
    explicit CLogReader(const char* pszPath) { Open(pszPath); }
    ~CLogReader() { Close(); }
    CLogReader(const CLogReader&) = delete;
    CLogReader& operator=(const CLogReader&) = delete;

    bool Open(const char* pszPath);
    void Close();
    bool IsOpen() const { return m_pFile != nullptr; }
    // The next line by ReadLogLine; false at the end.
    bool ReadLine() { return ReadLogLine(m_pFile, m_szLine); }
    const char* Line() const { return m_szLine; }
    // Back to the first line, for a second pass.
    void Rewind();

private:
    FILE* m_pFile = nullptr;
    char m_szLine[kLogLineSize] = {};
};

// Opens the file for appending in text mode (creating it when missing),
// writes the text and a line end, and closes it again, so nothing stays
// open between records. A file that cannot be opened loses the record
// without a report.
void AppendLogLine(const char* pszPath, const char* pszText);

// The record's argument (the text after the prefix) when the line begins
// with the prefix, exactly and case-sensitively; else null.
const char* RecordArgument(const char* pszLine, const char* pszPrefix);

// Copy side of a file record's argument, taken unchanged after the prefix.
// With a ">" in it, the source name is the text before the first ">"
// without trailing white space, the target name the text after it without
// leading white space, and the result is true. Without one the argument is
// a plain name or pattern: false, and both outputs are left alone.
bool SplitCopyArgument(const char* pszArgument, CString& strSource, CString& strTarget);

// Removal side of a file record: the line (which begins with the prefix) is
// cut at the first " | ", the argument after the prefix is taken, and when
// it holds a ">" only the target name after the first ">", without leading
// white space, is kept. That is the name or pattern to delete; empty when
// nothing is left of it.
CString RemovalName(const char* pszLine, const char* pszPrefix);
