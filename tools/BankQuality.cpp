#include "tools/BankQuality.h"

#include "tools/BankCheck.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

// Judged against chance, in percentage points.
constexpr double LongestTolerance = 10;
constexpr double LetterTolerance = 10;
constexpr double RepeatTolerance = 10;
constexpr double AbsoluteTolerance = 15;
constexpr double ButLastTolerance = 15;
// Every letter of four-option multiple choice is keyed in this share of the questions.
constexpr double FourLetterLow = 45, FourLetterHigh = 80;

bool singleKey(int type) {
    return type == 61 || type == 62 || type == 70;
}
bool multipleKey(int type) {
    return type == 64 || type == 65 || type == 66;
}
// Types whose options say something: a judgement's "正确"/"错误" tell nothing by their length.
bool wordedOptions(int type) {
    return type != 70 && (singleKey(type) || multipleKey(type));
}
int smallestKey(int type) {
    return type == 66 ? 1 : 2;
}

int visibleLength(const QString& s) {
    int n = 0;
    for (const QChar c : s)
        if (!c.isSpace())
            ++n;
    return n;
}

double percent(double part, double whole) {
    return whole > 0 ? 100.0 * part / whole : 0;
}
QString pc(double value) {
    return QString::number(qRound(value)) + u'%';
}

} // namespace

const QStringList& absoluteWords() {
    static const QStringList words{QStringLiteral("一定"), QStringLiteral("只能"), QStringLiteral("任何"),
                                   QStringLiteral("必须"), QStringLiteral("所有"), QStringLiteral("全部"),
                                   QStringLiteral("一律"), QStringLiteral("随意"), QStringLiteral("不必"),
                                   QStringLiteral("永远"), QStringLiteral("无限")};
    return words;
}

QStringList optionTexts(const QString& plain, int options) {
    static const QRegularExpression option(QStringLiteral("^\\s*([A-F])\\s*[.．、]\\s*(.*)$"));
    QStringList run;
    bool open = false;
    for (const QString& line : plain.split(u'\n')) {
        const QRegularExpressionMatch m = option.match(line);
        if (m.hasMatch()) {
            const QChar letter = m.captured(1).at(0);
            if (letter == u'A') {
                run = {m.captured(2).trimmed()};
                open = true;
                continue;
            }
            if (open && letter.unicode() == u'A' + run.size()) {
                run.push_back(m.captured(2).trimmed());
                continue;
            }
        }
        if (open && !line.trimmed().isEmpty())
            run.last() += u' ' + line.trimmed();
    }
    return run.size() == options ? run : QStringList();
}

bool QualityCounter::readsOptions(int type) {
    return wordedOptions(type);
}

QString QualityCounter::typeName(int type) const {
    const QString name = m_typeNames.value(type);
    return name.isEmpty() ? QStringLiteral("type %1").arg(type)
                          : QStringLiteral("type %1 %2").arg(type).arg(name);
}

void QualityCounter::add(const QuestionFacts& q) {
    // Only the first ids are kept: a synthetic bank of a million questions has many without.
    const auto note = [](Missing& m, const QString& id) {
        if (m.ids.size() < KeptIds)
            m.ids << id;
        ++m.count;
    };
    if (!q.explained)
        note(m_unexplained, q.id);
    if (!q.linked)
        note(m_unlinked, q.id);
    if (!singleKey(q.type) && !multipleKey(q.type))
        return;
    TypeFigures& f = m_types[q.type];
    ++f.questions;
    const QString& key = q.key;
    f.keys[key] += 1;
    if (m_lastKey.contains(q.type)) {
        ++f.pairs;
        if (m_lastKey.value(q.type) == key)
            ++f.repeats;
    }
    m_lastKey.insert(q.type, key);

    if (q.options >= 2 && !key.isEmpty()) {
        ++f.letterSample;
        for (const QChar c : key)
            f.letters[c] += 1;
        if (singleKey(q.type))
            for (int i = 0; i < q.options; ++i)
                f.letterChance[QChar(u'A' + i)] += 1.0 / q.options;
        if (multipleKey(q.type)) {
            f.sizes[int(key.size())] += 1;
            if (key.size() == q.options - 1) {
                ++f.oneShort;
                if (!key.contains(QChar(u'A' + q.options - 1)))
                    ++f.allButLast;
            }
            if (q.options == 4) {
                ++f.fourOptions;
                for (const QChar c : key)
                    f.fourLetters[c] += 1;
            }
        }
    }

    if (!wordedOptions(q.type) || q.choices.size() != q.options || q.options < 2)
        return;
    QList<int> lengths;
    for (const QString& c : q.choices)
        lengths << visibleLength(c);
    const int longest = int(std::max_element(lengths.cbegin(), lengths.cend()) - lengths.cbegin());
    int next = 0;
    for (int i = 0; i < lengths.size(); ++i)
        if (i != longest)
            next = std::max(next, lengths[i]);
    if (lengths[longest] > next) {
        const bool keyed = key.contains(QChar(u'A' + longest));
        ++f.longestSample;
        f.longestChance += double(key.size()) / q.options;
        if (keyed)
            ++f.longestKeyed;
        if (2 * lengths[longest] >= 3 * next) {
            ++f.clearSample;
            if (keyed)
                ++f.clearKeyed;
        }
    }
    if (multipleKey(q.type)) {
        for (int i = 0; i < q.choices.size(); ++i) {
            const bool keyed = key.contains(QChar(u'A' + i));
            const bool absolute = std::any_of(absoluteWords().cbegin(), absoluteWords().cend(),
                                              [&](const QString& w) { return q.choices[i].contains(w); });
            (absolute ? m_absolute : m_other) += 1;
            if (keyed)
                (absolute ? m_absoluteKeyed : m_otherKeyed) += 1;
        }
    }
}

void QualityCounter::finish(const QList<ShareRoom>& shares, bool delivered, CheckReport& report) const {
    const QString topic = QStringLiteral("quality");
    QStringList& out = report.quality;
    const auto warn = [&](const QString& text) { report.warning(topic, text); };

    for (auto it = m_types.cbegin(); it != m_types.cend(); ++it) {
        const int type = it.key();
        const TypeFigures& f = it.value();
        const QString name = typeName(type);
        out << QStringLiteral("%1: %2 question(s)").arg(name).arg(f.questions);

        if (f.longestSample > 0) {
            const double rate = percent(f.longestKeyed, f.longestSample);
            const double chance = percent(f.longestChance, f.longestSample);
            out << QStringLiteral("  longest option keyed in %1 of %2 (chance %3); where 1.5 times the next: "
                                  "%4 of %5")
                       .arg(pc(rate))
                       .arg(f.longestSample)
                       .arg(pc(chance))
                       .arg(pc(percent(f.clearKeyed, f.clearSample)))
                       .arg(f.clearSample);
            if (f.longestSample >= MinSample && std::abs(rate - chance) > LongestTolerance)
                warn(QStringLiteral("%1: the uniquely longest option is keyed in %2 of the questions, chance "
                                    "gives %3")
                         .arg(name, pc(rate), pc(chance)));
        }

        if (f.letterSample > 0) {
            QStringList parts;
            for (auto l = f.letters.cbegin(); l != f.letters.cend(); ++l)
                parts << QStringLiteral("%1 %2").arg(l.key()).arg(pc(percent(l.value(), f.letterSample)));
            out << QStringLiteral("  key letters: ") + parts.join(QStringLiteral(", "));
        }
        if (singleKey(type) && f.letterSample >= MinSample) {
            for (auto c = f.letterChance.cbegin(); c != f.letterChance.cend(); ++c) {
                const double rate = percent(f.letters.value(c.key()), f.letterSample);
                const double chance = percent(c.value(), f.letterSample);
                if (std::abs(rate - chance) > LetterTolerance)
                    warn(QStringLiteral("%1: %2 is the key of %3 of the questions, chance gives %4")
                             .arg(name, c.key(), pc(rate), pc(chance)));
            }
        }
        if (multipleKey(type)) {
            QStringList sizes;
            for (auto s = f.sizes.cbegin(); s != f.sizes.cend(); ++s)
                sizes << QStringLiteral("%1 letters %2").arg(s.key()).arg(s.value());
            const double butLast = percent(f.allButLast, f.oneShort);
            out << QStringLiteral(
                       "  key sizes: %1; every option but the last in %2 of %3 keys leaving one out")
                       .arg(sizes.join(QStringLiteral(", ")), pc(butLast))
                       .arg(f.oneShort);
            if (f.fourOptions >= MinSample) {
                // Multiple choice keys two letters or more: every letter in 45% to 80% of the questions.
                // Indefinite choice keys one letter as often: every letter near the letters' mean.
                double mean = 0;
                for (int i = 0; i < 4; ++i)
                    mean += percent(f.fourLetters.value(QChar(u'A' + i)), f.fourOptions) / 4;
                QStringList four;
                for (int i = 0; i < 4; ++i) {
                    const QChar letter(u'A' + i);
                    const double rate = percent(f.fourLetters.value(letter), f.fourOptions);
                    four << QStringLiteral("%1 %2").arg(letter).arg(pc(rate));
                    if (type != 66 && (rate < FourLetterLow || rate > FourLetterHigh))
                        warn(QStringLiteral("%1: %2 is keyed in %3 of the four-option questions (%4 to %5 "
                                            "expected)")
                                 .arg(name, letter, pc(rate), pc(FourLetterLow), pc(FourLetterHigh)));
                    if (type == 66 && std::abs(rate - mean) > LetterTolerance)
                        warn(QStringLiteral("%1: %2 is keyed in %3 of the four-option questions, the letters "
                                            "%4 on average")
                                 .arg(name, letter, pc(rate), pc(mean)));
                }
                out << QStringLiteral("  four-option questions (%1): ").arg(f.fourOptions) +
                           four.join(QStringLiteral(", "));
                for (int size = smallestKey(type); size <= 4; ++size)
                    if (f.sizes.value(size) == 0)
                        warn(QStringLiteral("%1: no key of %2 letters").arg(name).arg(size));
            }
            if (f.oneShort >= MinSample && butLast - 100.0 / 4 > ButLastTolerance)
                warn(QStringLiteral("%1: %2 of the keys leaving one option out leave out the last")
                         .arg(name, pc(butLast)));
        }

        if (f.pairs > 0) {
            double chance = 0;
            for (const int n : f.keys)
                chance += double(n) * n;
            chance = percent(chance, double(f.questions) * f.questions);
            const double rate = percent(f.repeats, f.pairs);
            out << QStringLiteral("  consecutive questions share a key in %1 of %2 pairs (chance %3)")
                       .arg(pc(rate))
                       .arg(f.pairs)
                       .arg(pc(chance));
            if (f.pairs >= MinSample && std::abs(rate - chance) > RepeatTolerance)
                warn(QStringLiteral(
                         "%1: consecutive questions share a key in %2 of the pairs, chance gives %3")
                         .arg(name, pc(rate), pc(chance)));
        }
    }

    if (m_absolute + m_other > 0) {
        const double absolute = percent(m_absoluteKeyed, m_absolute);
        const double other = percent(m_otherKeyed, m_other);
        out << QStringLiteral(
                   "multiple choice options with an absolute word (%1): keyed %2 of %3, the rest %4 "
                   "of %5")
                   .arg(absoluteWords().join(u' '), pc(absolute))
                   .arg(m_absolute)
                   .arg(pc(other))
                   .arg(m_other);
        if (m_absolute >= MinSample && std::abs(absolute - other) > AbsoluteTolerance)
            warn(QStringLiteral("options with an absolute word are keyed in %1, the rest in %2")
                     .arg(pc(absolute), pc(other)));
    }

    QMap<int, double> lowest;
    for (const ShareRoom& s : shares) {
        const int target = s.kind >= 4 ? 4 : 3;
        const double room = s.count > 0 ? double(s.candidates) / s.count : 0;
        if (!lowest.contains(s.kind) || room < lowest.value(s.kind))
            lowest.insert(s.kind, room);
        if (s.candidates < qint64(target) * s.count)
            report.warning(
                QStringLiteral("headroom"),
                QStringLiteral("kind %1, type %2, chapters %3*: %4 candidate(s) for %5 in a paper, fewer "
                               "than %6 times")
                    .arg(s.kind)
                    .arg(s.type)
                    .arg(s.prefix)
                    .arg(s.candidates)
                    .arg(s.count)
                    .arg(target));
    }
    for (auto it = lowest.cbegin(); it != lowest.cend(); ++it)
        out << QStringLiteral("kind %1: the thinnest share holds %2 times its count (%3 wanted)")
                   .arg(it.key())
                   .arg(it.value(), 0, 'f', 1)
                   .arg(it.key() >= 4 ? 4 : 3);

    out << QStringLiteral("%1 question(s) without an explanation, %2 without an exam point")
               .arg(m_unexplained.count)
               .arg(m_unlinked.count);
    // The delivered bank names every such question as an error; elsewhere (a synthetic bank, a bank
    // still being written) one warning says how many there are and names the first.
    const auto missing = [&](const Missing& m, const QString& what) {
        if (delivered) {
            for (const QString& id : m.ids)
                report.error(topic, QStringLiteral("question %1 has no %2").arg(id, what));
            if (m.count > m.ids.size())
                report.error(
                    topic,
                    QStringLiteral("%1 more question(s) have no %2").arg(m.count - m.ids.size()).arg(what));
        } else if (m.count > 0) {
            warn(QStringLiteral("%1 question(s) have no %2, the first %3")
                     .arg(m.count)
                     .arg(what, m.ids.mid(0, 5).join(QStringLiteral(", "))));
        }
    };
    missing(m_unexplained, QStringLiteral("explanation"));
    missing(m_unlinked, QStringLiteral("exam point"));
}

} // namespace tools
