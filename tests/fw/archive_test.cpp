// The archive's byte form: little-endian integers and counted strings with their three
// length prefixes; damaged input fails instead of allocating or reading past the end.
#include <QBuffer>
#include <QtTest>

#include "archive.h"

namespace {

QByteArray Stored(const std::function<void(CArchive&)>& write) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive archive(&buffer, CArchive::store);
    write(archive);
    return buffer.data();
}

// Reads `bytes` with `read`: whether the archive failed.
bool LoadFails(QByteArray bytes, const std::function<void(CArchive&)>& read) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CArchive archive(&buffer, CArchive::load);
    read(archive);
    return archive.IsFailed();
}

} // namespace

class ArchiveTest : public QObject {
    Q_OBJECT

private slots:
    void integersAreLittleEndian() {
        QByteArray bytes = Stored([](CArchive& ar) {
            ar << std::int32_t{-2} << std::uint32_t{0x01020304} << std::uint16_t{0xABCD};
        });
        QCOMPARE(bytes, QByteArray::fromHex("feffffff04030201cdab"));
    }

    void countedStringPrefixes_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("0") << 0 << QByteArray::fromHex("00");
        QTest::newRow("254") << 254 << QByteArray::fromHex("fe");
        QTest::newRow("255") << 255 << QByteArray::fromHex("ffff00");
        QTest::newRow("65533") << 65533 << QByteArray::fromHex("fffdff");
        QTest::newRow("65534") << 65534 << QByteArray::fromHex("ffffff feff0000");
    }
    void countedStringPrefixes() {
        QFETCH(int, length);
        QFETCH(QByteArray, prefix);
        const QByteArray text(length, 'x');
        QByteArray bytes = Stored([&](CArchive& ar) { ar << text; });
        QCOMPARE(bytes.left(prefix.size()), prefix);
        QCOMPARE(bytes.size(), prefix.size() + length);
        QByteArray read;
        QVERIFY(!LoadFails(bytes, [&](CArchive& ar) { ar >> read; }));
        QCOMPARE(read, text);
    }

    // Short input fails and leaves zero or empty, however long a length it claims.
    void damagedInputFails() {
        std::uint32_t value = 7;
        QVERIFY(LoadFails(QByteArray::fromHex("0102"), [&](CArchive& ar) { ar >> value; }));
        QCOMPARE(value, 0u);
        QByteArray read = "old";
        QVERIFY(LoadFails(QByteArray::fromHex("ffffffffffff7f") + "abc",
                          [&](CArchive& ar) { ar >> read; }));
        QVERIFY(read.isEmpty());
    }
};

QTEST_MAIN(ArchiveTest)
#include "archive_test.moc"
