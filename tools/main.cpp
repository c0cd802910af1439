// vqbank: builds question banks and upgrade files from their content sources.
#include "tools/BankBuilder.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage() {
    std::fputs("usage: vqbank build <content folder or file> -o <bank file> [--plain]\n"
               "  --plain  write a file without a password (upgrade files)\n",
               stderr);
    return 2;
}

void printAll(const QStringList& lines) {
    for (const QString& l : lines)
        std::fprintf(stderr, "%s\n", l.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    // Rich text is laid out by Qt Gui; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == u"build") {
        QString source, out;
        bool plain = false;
        for (int i = 0; i < args.size(); ++i) {
            if (args[i] == u"-o" && i + 1 < args.size())
                out = args[++i];
            else if (args[i] == u"--plain")
                plain = true;
            else if (source.isEmpty())
                source = args[i];
            else
                return usage();
        }
        if (source.isEmpty() || out.isEmpty())
            return usage();
        QStringList errors;
        const tools::BankSource src = tools::readBankSource(source, &errors);
        if (errors.isEmpty() && tools::buildBank(src, out, plain, &errors)) {
            std::printf("%s: %lld chapters, %lld questions, %lld exam points\n", out.toLocal8Bit().constData(),
                        qlonglong(src.chapters.size()), qlonglong(src.questions.size()),
                        qlonglong(src.points.size()));
            return 0;
        }
        printAll(errors);
        return 1;
    }
    return usage();
}
