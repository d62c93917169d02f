// The command line of pelkano-sheets: NUL-separated arguments. A run either reads into options
// that keep every promise of the tool, or fails with one printable line; and a message echoes any
// text without control characters.
#include "FuzzInput.h"
#include "Options.h"

#include <QCoreApplication>

#include <climits>
#include <cstdlib>

using namespace pelkano;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isPrintableLine(const std::string& text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return QString::fromUtf8(text).toUtf8() == QByteArray::fromStdString(text);  // well-formed UTF-8
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "pelkano-sheets";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    const std::string raw(reinterpret_cast<const char*>(data), size);
    require(isPrintableLine(cli::printable(raw)));

    QStringList arguments{QStringLiteral("pelkano-sheets")};
    while (!input.empty() && arguments.size() < 64)
        arguments << QString::fromUtf8(input.text());
    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments);
    if (parsed.action == cli::Action::Error) {
        require(!parsed.text.empty() && isPrintableLine(parsed.text));
        return 0;
    }
    if (parsed.action == cli::Action::Help)
        require(parsed.text.rfind("Usage: pelkano-sheets [options]\n", 0) == 0);
    if (parsed.action != cli::Action::Run)
        return 0;
    const cli::Options& o = parsed.options;
    require(!o.types.empty());
    for (int t : o.types)
        require(t >= 1 && t <= kTypeCount);
    require(o.sheets >= 0);
    // Raw draws have no print numbers; sheets each carry one within int.
    require(o.draws || o.sheets == 0 || o.printNumber + (o.sheets - 1) <= INT_MAX);
    if (o.drawn()) {
        require(o.sheets >= 1 && o.sheets <= 1000 && !o.draws);
        require(o.drawing.setup.dpi >= 72 && o.drawing.setup.dpi <= 1200);
        require(o.drawing.settings.leftMargin >= 1 && o.drawing.settings.leftMargin <= 70);
        require(o.drawing.settings.lineWidth >= 1 && o.drawing.settings.lineWidth <= 4);
    }
    return 0;
}
