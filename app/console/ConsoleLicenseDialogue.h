#pragma once

#include <QByteArray>
#include <QStringList>

#include <cstdio>

// Shows the licence agreement on the terminal and asks whether the user accepts it.
// On a terminal the text is paged a screen at a time; when input or output is
// redirected it is printed in one go and the answer read is echoed.
class ConsoleLicenseDialogue
{
public:
    ConsoleLicenseDialogue(int columns, int rows, FILE *input = stdin, FILE *output = stdout);

    // The licence document as the lines the terminal shows.
    QStringList lines(const QByteArray &licenseHtml) const;
    // Shows the document, asks, and answers whether it was accepted.
    bool run(const QByteArray &licenseHtml);

private:
    bool isInteractive() const;
    void showText(const QStringList &text, bool interactive);
    void waitForKey();
    bool ask(bool interactive);
    void write(const QByteArray &bytes);

    int m_columns;
    int m_rows;
    FILE *m_input;
    FILE *m_output;
};
