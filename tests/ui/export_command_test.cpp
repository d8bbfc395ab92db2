// "exportar" typed into the real entry writes the book for other calendars.
#include "ical/book_import.h"
#include "ui/shell_fixture.h"

namespace quimbaro::testing {
namespace {

TEST_F(ShellTest, ExportarWritesTheBookIntoTheDataFolderAndSaysWhere) {
    Store("05/12/2026", "09:30", "Ana");
    Store("31/02/2026", "10:00", "no day");
    Store("01/01/2027", "tarde", "Bea");
    Open();
    BoxCatcher boxes;
    Type("EXPORTAR");
    const std::filesystem::path file = folder / "quimbaro.ics";
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, QString::fromStdString("Se exportaron 2 citas a " + file.string() +
                                                         ". Se omitieron 1 registros cuya fecha no es un día "
                                                         "válido de su archivo."));
    EXPECT_EQ(boxes.seen[0].frame, kBoxFrame);
    QTemporaryDir other;  // the file brings the two appointments back
    const std::filesystem::path otherFolder = other.path().toStdString();
    ical::ImportCalendarText(otherFolder, ReadFile(file), {});
    EXPECT_EQ(ReadFile(otherFolder / "2026.log"), ReadFile(folder / "2026.log").substr(0, 155));
    EXPECT_EQ(ReadFile(otherFolder / "2027.log"), ReadFile(folder / "2027.log"));

    std::filesystem::remove(file);
    std::filesystem::create_directory(file);  // cannot be replaced: the box says why
    Type("exportar");
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_TRUE(boxes.seen[1].text.startsWith("No se pudo exportar: ")) << boxes.seen[1].text.toStdString();
}

}  // namespace
}  // namespace quimbaro::testing
