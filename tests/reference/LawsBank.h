#pragma once

// The bank the exam-point browser tests share: the small syllabus and a few sections built to trip the
// browser up (titles used twice, a bracket in a title, an id with letters, points without questions).
#include "tests/support/TestSupport.h"

namespace lawsbank {

inline QString content() {
    return testsupport::baseContent() + testsupport::smallSyllabus() + QStringLiteral(R"(
[catalogue 050103]
name: 3. 同名与括号
[catalogue 050104]
name: 4. 无题考点
[catalogue 050105]
name: 5. 无考点的节
[catalogue 050106]
name: 6. 孤立 Point
[point 050103-001]
title: 同名要点
text: |
  第一个同名要点
[point 050103-002]
title: 同名要点
text: |
  第二个同名要点
[point 050103-003]
title: 带(括号)的要点
text: |
  括号要点的内容
[point 050103-K01]
title: 字母要点
text: |
  字母要点的内容
[point 050104-001]
title: 无题一
text: |
  无题一的内容
[point 050104-002]
title: 无题二
text: |
  无题二的内容
[point 050106-001]
title: 孤立要点
text: |
  没有习题的要点
[question R001]
chapter: 050102
type: 61
options: 4
answer: A
points: 050103-001
stem: |
  同名一的题
[question R002]
chapter: 050102
type: 61
options: 4
answer: B
points: 050103-002
stem: |
  同名二的题
[question R003]
chapter: 050102
type: 65
options: 4
answer: AB
points: 050103-002
stem: |
  同名二的多选题
[question R004]
chapter: 050102
type: 61
options: 4
answer: C
points: 050103-003
stem: |
  括号要点的题
[question R005]
chapter: 050102
type: 61
options: 4
answer: D
points: 050103-K01
stem: |
  字母要点的题，编号写成小写
[question R006]
chapter: 050102
type: 61
options: 4
answer: A
points: 050103-K01
stem: |
  字母要点写了两次的题
)");
}

} // namespace lawsbank
