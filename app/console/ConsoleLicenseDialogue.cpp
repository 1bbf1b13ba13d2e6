#include "app/console/ConsoleLicenseDialogue.h"

#include "media/platform/Terminal.h"
#include "media/text/HtmlTextFormatter.h"

#include <QString>

#include <algorithm>
#include <unistd.h>

namespace {

const char continuePrompt[] = "<Press a return to continue>";
const char question[] = "Do you accept the agreement? [yes/no] ";
// Room for an answer of 63 characters and its terminator.
constexpr int answerBufferSize = 64;

} // namespace

ConsoleLicenseDialogue::ConsoleLicenseDialogue(int columns, int rows, FILE *input, FILE *output)
    : m_columns(columns)
    , m_rows(rows)
    , m_input(input)
    , m_output(output)
{
}

QStringList ConsoleLicenseDialogue::lines(const QByteArray &licenseHtml) const
{
    HtmlTextFormatter formatter;
    formatter.setSpacing(HtmlTextFormatter::Heading, 1);
    formatter.setWidth(m_columns);
    return formatter.render(QString::fromUtf8(licenseHtml)).split(QLatin1Char('\n'));
}

bool ConsoleLicenseDialogue::run(const QByteArray &licenseHtml)
{
    const bool interactive = isInteractive();
    showText(lines(licenseHtml), interactive);
    if (!ask(interactive))
        return false;
    write("License agreement accepted\n");
    std::fflush(m_output);
    return true;
}

bool ConsoleLicenseDialogue::isInteractive() const
{
    return isatty(fileno(m_input)) && isatty(fileno(m_output));
}

void ConsoleLicenseDialogue::showText(const QStringList &text, bool interactive)
{
    // A page leaves the bottom row for the prompt; a one-row terminal still pages.
    const int pageLines = std::max(1, m_rows - 1);
    int printed = 0;
    for (const QString &line : text) {
        if (interactive && printed > 0 && printed % pageLines == 0)
            waitForKey();
        write(line.toUtf8() + '\n');
        ++printed;
    }
}

void ConsoleLicenseDialogue::waitForKey()
{
    write(continuePrompt);
    std::fflush(m_output);
    Platform::readKey();
    // Overwrite the prompt so the next page starts on a clean line.
    write('\r' + QByteArray(int(sizeof continuePrompt) - 1, ' ') + '\r');
    std::fflush(m_output);
}

bool ConsoleLicenseDialogue::ask(bool interactive)
{
    for (;;) {
        write(question);
        std::fflush(m_output);
        char answer[answerBufferSize];
        if (!std::fgets(answer, sizeof answer, m_input)) {
            if (!interactive)
                write("\n");
            return false;
        }
        // A terminal echoes what was typed; a redirected answer is shown here instead.
        if (!interactive)
            write(answer);
        if (qstricmp(answer, "no\n") == 0)
            return false;
        if (qstricmp(answer, "yes\n") == 0)
            return true;
    }
}

void ConsoleLicenseDialogue::write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_output);
}
