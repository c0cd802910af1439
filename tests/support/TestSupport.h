#pragma once

#include <QString>

namespace testsupport {

// Product, plan and question types every test bank starts from.
QString baseContent();

// A small syllabus: subjects 0 and 3 with parts, chapters and sections, exam points and a few questions.
QString smallSyllabus();

// Builds a bank file named name in dir from content text; throws std::runtime_error with the builder's
// messages when the content is refused.
QString buildBank(const QString& dir, const QString& content, bool plain = false,
                  const QString& name = QStringLiteral("bank.mdb"));

} // namespace testsupport
