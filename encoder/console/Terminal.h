#pragma once

#include <QString>
#include <QTextStream>
#include <mutex>
#include <vector>

// The least time between two showings of the progress line, in ms: more often would only cost.
constexpr qint64 ProgressInterval = 250;

// A line for the console: on the error stream or on the output.
struct ConsoleLine {
    bool error = false;
    QString text;
};

// The utility's two streams and the progress line, which is rewritten in place until a line is
// printed after it. Files encoded side by side share it: a block of lines is printed whole, never
// broken by another's. Control characters (a file name may hold an escape sequence that would clear
// the terminal) and the bytes of names that are not valid UTF-8 are shown escaped, as \x1B.
class Terminal {
public:
    Terminal();

    void print(const std::vector<ConsoleLine> &lines);

    // Shows text as the progress line; on a line of its own below the last one with newLine.
    void progress(const QString &text, bool newLine = false);

    // From now on the lines and the progress go to the error stream, and the output carries data
    // alone, written by data().
    void sendLinesToErrorStream();
    // Writes bytes as they are, and a line end, on the output. Throws Failure where the output does
    // not take them (a full disk, a reader that has gone).
    void data(const QByteArray &line);

private:
    void endProgressLine();
    QTextStream &lines() { return linesToErrorStream_ ? err_ : out_; }

    std::mutex mutex_;
    QTextStream out_;
    QTextStream err_;
    qsizetype progressWidth_ = 0; // of the progress line shown; 0 when none is open
    bool linesToErrorStream_ = false;
};
