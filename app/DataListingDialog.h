#pragma once
// "Data Listing": a modeless window with one record's source text, read once
// from its scratch copy. Several can be open at once; each deletes itself
// when closed.
#include <QDialog>
#include <cstdint>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace lorvex {

class DataListingDialog : public QDialog {
public:
    explicit DataListingDialog(QWidget* owner);

    // Reads the record starting at lineNumber from the file at path
    // ("Lorvex temp\" and the file name) and shows the window.
    void ShowListing(std::string_view path, std::int32_t lineNumber);

    QPlainTextEdit* listingEdit = nullptr;
    bool Loaded() const { return loaded; }

    // New listings (and open ones told through UpdateFont) show the text in the
    // system's fixed-width font when on.
    static void SetFixedWidthFont(bool on);
    static bool FixedWidthFont();
    void UpdateFont();
    // The size that shows the whole text, up to two thirds of the screen.
    QSize SizeForText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Enter ends the window as Esc does (it has no button to take it).
    void keyPressEvent(QKeyEvent* event) override;
    // Esc, Enter and the close box all end here: the window goes away for good.
    void done(int result) override;

private:
    void Fill();
    // Opens beside the listing opened last, not on top of it.
    void PlaceAfterPrevious();

    bool loaded = false;
    std::int32_t lineNumber = 0;
    std::string sourcePath;
};

}  // namespace lorvex
