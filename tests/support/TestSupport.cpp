#include <QString>
namespace testsupport { }
