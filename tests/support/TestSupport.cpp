#include "tests/support/TestSupport.h"

#include "tools/BankBuilder.h"

#include <QDir>

#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

QString baseContent() {
    return QStringLiteral(R"([product]
title: 测试题库
cpbs: TESTPRODUCT
sjbs: TEST-BASE

[plan]
PlanMark: 0
PlanAmount: 10
PlanTime: 30
ExamDate: 2027-05-22
ExamTime: 3600
LeastMark: 0

[types 1]
61 | 单项选择题 | 2 | 1 | 1
65 | 多项选择题 | 2 | 2 | 1.5
66 | 不定项选择题 | 1 | 2 | 2
[types 2]
61 | 单项选择题 | 2 | 1 | 1
[types 3]
61 | 单项选择题 | 2 | 1 | 1
[types 4]
62 | 案例单选题 | 1 | 2 | 2
70 | 判断题 | 1 | 1 | 0.5
[types 5]
61 | 单项选择题 | 1 | 1 | 1
)");
}

QString smallSyllabus() {
    return QStringLiteral(R"(
[chapter 0]
name: 科目一
[chapter 05]
name: 第一部分
[chapter 0501]
name: 第一章
title: 科目一 第一章
chart: yes
[chapter 050101]
name: 第一节
title: 第一节标题
[chapter 050102]
name: 第二节
[chapter 3]
name: 科目三
[chapter 30]
name: 第一部分
[chapter 3001]
name: 第一章
[chapter 300101]
name: 第一节
[chapter xx]
name: 占位

[catalogue 0]
name: 一
[catalogue 05]
name: 一（一）
[catalogue 050101]
name: 1.
[catalogue 050102]
name: 2.
[point 050101-001]
title: 要点一
text: |
  要点一的内容
[point 050101-002]
title: 要点二  
text: |
  要点二的内容
[point 050102-001]
title: 要点三
text: |
  要点三的内容

[question Q0001]
chapter: 050101
type: 61
options: 4
answer: B
points: 050101-001, 050101-002
stem: |
  第一题
explain: |
  解析一
[question Q0002]
chapter: 050101
type: 65
options: 5
answer: ACE
points: 050102-001
stem: |
  第二题
[question Q0003]
chapter: 050102
type: 61
options: 4
answer: A
stem: |
  第三题
[question Q0004]
chapter: 300101
type: 61
options: 4
answer: D
stem: |
  第四题
[question Q0005]
chapter: 300101
type: 66
options: 4
answer: AB
stem: |
  第五题
)");
}

QString buildBank(const QString& dir, const QString& content, bool plain, const QString& name) {
    QStringList errors;
    tools::BankSource src;
    tools::parseBankSource(content, QStringLiteral("test"), &src, &errors);
    const QString path = QDir(dir).filePath(name);
    if (errors.isEmpty())
        tools::buildBank(src, path, plain, &errors);
    if (!errors.isEmpty())
        throw std::runtime_error(errors.join(u'\n').toStdString());
    return path;
}

int asOrdinaryUser(const std::function<int()>& body) {
    if (geteuid() != 0)
        return body();
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(77);
        int result = 0;
        try {
            result = body();
        } catch (...) {
            result = 99;
        }
        _exit(result);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        return 98;
    return WEXITSTATUS(status) == 77 ? -1 : WEXITSTATUS(status);
}

} // namespace testsupport
