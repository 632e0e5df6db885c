#include "BoundedRead.h"

namespace tavorim {

RegularFileContents readBounded(qint64 size, qint64 limit,
                                const std::function<qint64(char *data, qint64 wanted)> &readSome) {
    RegularFileContents file;
    if (size > limit) {
        file.status = RegularFileContents::TooLarge;
        return file;
    }
    // Files of /proc say 0 and hold more, and a file may grow while it is read: the buffer grows
    // as the reading needs.
    QByteArray &bytes = file.bytes;
    bytes.resize(qMin(qMax<qint64>(size + 1, 4096), limit + 1));
    qint64 got = 0;
    while (got <= limit) {
        if (got == bytes.size())
            bytes.resize(qMin(bytes.size() * 2, limit + 1));
        const qint64 n = readSome(bytes.data() + got, bytes.size() - got);
        if (n == 0)
            break;
        if (n < 0) {
            bytes.clear();
            return file;
        }
        got += n;
    }
    if (got > limit) {
        bytes.clear();
        file.status = RegularFileContents::TooLarge;
        return file;
    }
    bytes.truncate(got);
    file.status = RegularFileContents::Read;
    return file;
}

} // namespace tavorim
