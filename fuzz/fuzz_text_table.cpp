// The language file loader fed arbitrary files: every loader reads the same
// bytes as labels, help, messages, error texts and error help.

#include "fuzz_support.h"
#include "texts/text_table.h"

#include <algorithm>
#include <map>

using namespace trgui;

namespace {

// A page whose controls are the ids 1..1999.
class FuzzPage : public texts::TextPage {
public:
    std::map<int, QString> texts;
    std::map<int, QString> toolTips;
    int boxes = 0;

    bool hasControl(int id) const override { return id >= 1 && id < 2000; }
    void setControlText(int id, const QString& text) override
    {
        FUZZ_CHECK(hasControl(id));
        texts[id] = text;
    }
    void setControlToolTip(int id, const QString& text) override
    {
        FUZZ_CHECK(hasControl(id));
        toolTips[id] = text;
    }
    void setControlVisible(int, bool) override {}
    void setControlEnabled(int, bool) override {}
    void showMessageBox(const QString&, const QString&) override { ++boxes; }
};

bool hasControlCharacter(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    }
    return false;
}

bool hasControlCharacter(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // The line buffer: nothing lost, nothing added, no line over 511 bytes,
    // and a line ends at its line feed or where the buffer is full.
    const auto lines = texts::splitLines(bytes);
    QByteArray joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        FUZZ_CHECK(!line.isEmpty());
        FUZZ_CHECK(static_cast<std::size_t>(line.size()) < texts::kLineBuffer);
        FUZZ_CHECK(line.indexOf('\n') < 0 || line.indexOf('\n') == line.size() - 1);
        if (i + 1 < lines.size())
            FUZZ_CHECK(line.endsWith('\n') || static_cast<std::size_t>(line.size()) == texts::kLineBuffer - 1);
        joined.append(line);
    }
    FUZZ_CHECK(joined == bytes);

    const std::string& dir = fuzz::scratchDirectory();
    const std::string name = "Fuzz_de.txt";
    fuzz::writeWholeFile(dir + name, data, size);

    FuzzPage page;
    texts::applyLabels(page, dir, name);
    for (const auto& [id, text] : page.texts)
        FUZZ_CHECK(!hasControlCharacter(text));

    texts::applyHelp(page, dir, name);
    for (const auto& [id, text] : page.toolTips)
        FUZZ_CHECK(static_cast<std::size_t>(text.size()) < texts::kHelpLimit);

    texts::MessageTable messages;
    texts::loadMessages(page, messages, dir, name);
    for (int n = 0; n <= texts::kMessageCount + 1; ++n) {
        FUZZ_CHECK(static_cast<std::size_t>(messages.rawText(n).size()) <= texts::kMessageTextLimit);
        const auto* entry = messages.entry(n);
        FUZZ_CHECK((entry != nullptr) == (n >= 1 && n <= texts::kMessageCount));
        // Decoding costs a converter each; only messages the file filled are shown.
        if (!entry || std::all_of(entry->begin(), entry->end(), [](const QByteArray& l) { return l.isEmpty(); }))
            continue;
        for (const QByteArray& line : *entry)
            FUZZ_CHECK(!hasControlCharacter(line) && !line.startsWith(' ') && !line.endsWith(' '));
        FUZZ_CHECK(!hasControlCharacter(messages.caption(n)));
        const QString body = texts::messageBoxText(messages, n);
        FUZZ_CHECK(!body.contains(QLatin1Char('\r')) && !body.endsWith(QLatin1Char('\n')));
    }

    texts::ErrorTables errors;
    texts::loadErrorTexts(page, errors, dir, name);
    texts::loadErrorHelp(page, errors, dir, name);
    for (const QByteArray& text : errors.texts)
        FUZZ_CHECK(!hasControlCharacter(text));
    for (const QByteArray& help : errors.help)
        FUZZ_CHECK(static_cast<std::size_t>(help.size()) < texts::kErrorHelpLimit);

    // The file is there, so no loader may complain that it cannot open it.
    FUZZ_CHECK(page.boxes == 0);

    // Windows-1252 round trip of what the files hold (bytes the code page
    // leaves undefined decode to a replacement character and cannot return).
    const QString decoded = texts::fromWindows1252(bytes);
    if (!decoded.contains(QChar::ReplacementCharacter))
        FUZZ_CHECK(texts::toWindows1252(decoded) == bytes);
    return 0;
}
