// "File Attributes" driven offscreen: the year field less 1900, what "Write"
// hands back, and "Quit".

#include <QtTest>

#include "gui/attribute_forms.h"
#include "hfs/attribute_dialogs.h"

namespace korvane::gui {

class AttributeFormsTest : public QObject {
    Q_OBJECT

private:
    static AttributesDialog filled() {
        AttributesDialog dialog;
        dialog.file_name = "Caf\xE9";
        dialog.file_type = "TEXT";
        dialog.creator = "ttxt";
        dialog.created = {1956, 6, 1, 8, 30};  // before the years the field can show
        dialog.modified = {1996, 12, 31, 23, 59};
        return dialog;
    }

private slots:
    void write_hands_back_the_fields_with_the_year_less1900() {
        AttributesDialog dialog = filled();
        AttributesForm form(nullptr, dialog);
        QCOMPARE(form.file_name()->text(), QString::fromUtf8("Caf\xC3\xA9"));
        QCOMPARE(form.file_name()->maxLength(), 31);
        QCOMPARE(form.modified().year->value(), 96);
        form.file_type()->setText("TEX");
        form.modified().year->setValue(5);
        form.modified().day->setValue(2);
        form.write_button()->click();
        QCOMPARE(form.result(), 1);
        QCOMPARE(dialog.file_type, std::string("TEX"));
        QCOMPARE(dialog.file_name, std::string("Caf\xE9"));
        QVERIFY(dialog.modified == (DateFields{2005, 12, 2, 23, 59}));
        QVERIFY(dialog.created == (DateFields{1956, 6, 1, 8, 30}));
    }

    void quit_hands_back_nothing() {
        AttributesDialog dialog = filled();
        AttributesForm form(nullptr, dialog);
        form.file_type()->setText("XXXX");
        form.quit_button()->click();
        QCOMPARE(form.result(), 0);
        QCOMPARE(dialog.file_type, std::string("TEXT"));
    }
};

}  // namespace korvane::gui

QTEST_MAIN(korvane::gui::AttributeFormsTest)
#include "attribute_forms_test.moc"
