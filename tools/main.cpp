// vqbank: builds question banks and upgrade files from their content sources, checks banks and writes
// synthetic banks for load tests.
#include "tools/BankBuilder.h"
#include "tools/BankCheck.h"
#include "tools/SynthBank.h"
#include "tools/UpgradeBase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int usage() {
    std::fputs(
        "usage: vqbank build <content folder or file> -o <bank file> [--plain] [--upgrade [--base <bank>]]\n"
        "       vqbank check <bank file> [--plain] [--delivered] [--upgrade [--base <bank>]]\n"
        "       vqbank check --source <content folder or file> [--delivered] [--upgrade [--base <bank>]]\n"
        "       vqbank synth <questions> -o <bank file> [--plain]\n"
        "  --plain    a file without a password (upgrade files)\n"
        "  --upgrade  new rows for a learner's bank: parents, points and groups may be in that bank\n"
        "  --base     the bank an upgrade is made for: checked against it, ordered after its rows;\n"
        "             check applies the upgrade file to a copy of it and checks the result too\n"
        "  --delivered  the bank the program ships: a question without an explanation or exam point\n"
        "             is an error\n"
        "check changes nothing and exits with 0 when the bank is sound, 1 when it lists errors; its\n"
        "\"quality\" section shows the answer cues, repeats and room in the shares of the draw plan.\n",
        stderr);
    return 2;
}

void printAll(const QStringList& lines) {
    for (const QString& l : lines)
        std::fprintf(stderr, "%s\n", l.toLocal8Bit().constData());
}

struct Args {
    QStringList positional;
    QString out, source, base;
    bool plain = false, upgrade = false, delivered = false, verbose = false, bad = false;
};

Args parse(const QStringList& args) {
    Args a;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == u"-o" && i + 1 < args.size())
            a.out = args[++i];
        else if (args[i] == u"--source" && i + 1 < args.size())
            a.source = args[++i];
        else if (args[i] == u"--base" && i + 1 < args.size())
            a.base = args[++i];
        else if (args[i] == u"--plain")
            a.plain = true;
        else if (args[i] == u"--upgrade")
            a.upgrade = true;
        else if (args[i] == u"--delivered")
            a.delivered = true;
        else if (args[i] == u"--verbose")
            a.verbose = true;
        else if (args[i].startsWith(u'-'))
            a.bad = true;
        else
            a.positional.push_back(args[i]);
    }
    return a;
}

// The bank an upgrade is made for, when one was named.
bool readBase(const Args& a, tools::BaseBank* base, QStringList* errors) {
    if (a.base.isEmpty())
        return false;
    QString error;
    if (!tools::readBaseBank(a.base, base, &error))
        errors->push_back(error);
    return errors->isEmpty();
}

int build(const Args& a) {
    if (a.positional.size() != 1 || a.out.isEmpty() || (!a.base.isEmpty() && !a.upgrade))
        return usage();
    QStringList errors;
    tools::BaseBank base;
    const bool hasBase = readBase(a, &base, &errors);
    const tools::BankSource src = tools::readBankSource(a.positional.first(), &errors);
    if (errors.isEmpty() &&
        tools::buildBank(src, a.out, tools::BuildOptions{a.plain, a.upgrade, hasBase ? &base : nullptr},
                         &errors)) {
        std::printf("%s: %lld chapters, %lld questions, %lld exam points\n", a.out.toLocal8Bit().constData(),
                    qlonglong(src.chapters.size()), qlonglong(src.questions.size()),
                    qlonglong(src.points.size()));
        return 0;
    }
    printAll(errors);
    return 1;
}

int report(const QString& what, const tools::CheckReport& r, bool verbose) {
    if (verbose)
        for (const QString& n : r.notes)
            std::printf("%s\n", n.toLocal8Bit().constData());
    if (!r.quality.isEmpty()) {
        std::printf("quality:\n");
        for (const QString& q : r.quality)
            std::printf("  %s\n", q.toLocal8Bit().constData());
    }
    printAll(r.lines());
    std::printf("%s: %d error(s), %d warning(s)\n", what.toLocal8Bit().constData(), r.errorCount(),
                r.warningCount());
    return r.hasErrors() ? 1 : 0;
}

int check(const Args& a) {
    const tools::CheckOptions options{a.upgrade, a.delivered};
    if (!a.source.isEmpty()) {
        if (!a.positional.isEmpty())
            return usage();
        // Content is checked as the bank it builds, in a folder of its own that goes away afterwards.
        QStringList errors;
        const tools::BankSource src = tools::readBankSource(a.source, &errors);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("check.mdb"));
        if (!errors.isEmpty() ||
            !tools::buildBank(src, file, tools::BuildOptions{a.upgrade, a.upgrade}, &errors)) {
            printAll(errors);
            std::printf("%s: %lld error(s) in the content\n", a.source.toLocal8Bit().constData(),
                        qlonglong(errors.size()));
            return 1;
        }
        return report(a.source, tools::checkBankFile(file, a.upgrade, options), a.verbose);
    }
    if (a.positional.size() != 1)
        return usage();
    const QString file = a.positional.first();
    const int rc = report(file, tools::checkBankFile(file, a.plain, options), a.verbose);
    if (a.base.isEmpty() || !a.upgrade)
        return a.base.isEmpty() ? rc : usage();
    // An upgrade file with the bank it is made for: apply it to a copy and check what comes out.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("upgraded.mdb"));
    QString error;
    if (!QFile::copy(a.base, copy) || !tools::applyUpgrade(copy, false, file, &error)) {
        std::fprintf(stderr, "error: upgrade: %s\n",
                     qPrintable(error.isEmpty() ? QStringLiteral("cannot copy ") + a.base : error));
        return 1;
    }
    const int merged =
        report(a.base + QStringLiteral(" with the upgrade"), tools::checkBankFile(copy, false), a.verbose);
    return rc != 0 ? rc : merged;
}

int synth(const Args& a) {
    bool ok = false;
    const int n = a.positional.value(0).toInt(&ok);
    if (a.positional.size() != 1 || !ok || n < 1 || a.out.isEmpty() || a.upgrade)
        return usage();
    QElapsedTimer timer;
    timer.start();
    QStringList errors;
    tools::SynthSummary s;
    if (!tools::synthBank(n, a.out, a.plain, &errors, &s)) {
        printAll(errors);
        return 1;
    }
    std::printf("%s: %d questions, %d groups, %d chapter rows (%d sections), %d exam points in %.2f s\n",
                a.out.toLocal8Bit().constData(), s.questions, s.groups, s.chapters, s.sections, s.points,
                timer.elapsed() / 1000.0);
    return 0;
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
    const Args a = parse(args);
    if (a.bad)
        return usage();
    if (command == u"build")
        return build(a);
    if (command == u"check")
        return check(a);
    if (command == u"synth")
        return synth(a);
    return usage();
}
