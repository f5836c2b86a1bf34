#pragma once

#include <QString>

namespace vc {

// What the picker's logic asks of the controls that show it. The widget implements it; tests
// record the calls.
class PickerSurface {
public:
    virtual ~PickerSurface() = default;
    virtual void setPanelVisible(const QString& panel, bool visible) = 0;
    virtual bool isPanelVisible(const QString& panel) const = 0;
    // Places a sub-panel beside the first video page, in front of it, and shows it.
    virtual void showSubPanel(const QString& panel) = 0;
    // A panel shown on its own at the given left, flat-bordered; restack moves its buttons to
    // the standalone tops.
    virtual void showStandalone(const QString& panel, int left, bool restack) = 0;
    // The backdrop takes the rectangle of the named panel; hiding hides both of its parts.
    virtual void showBackdrop(const QString& atPanel) = 0;
    virtual void hideBackdrop() = 0;
    virtual void setStripVisible(bool visible) = 0;
    virtual bool isStripVisible() const = 0;
    virtual void setStripHover(int category, bool hover) = 0;
    virtual void setButtonHover(int number, bool hover) = 0;
    virtual void setPreviewVisible(bool visible) = 0;
    // The left edge of the category strip, where standalone panels go.
    virtual int stripLeft() const = 0;
};

// The picker's state changes: which category and button are highlighted, which pages show,
// and how hovering moves between openers and their sub-panels.
class PickerLogic {
public:
    enum class Arrow { VideoNext, VideoPrevious, AudioNext, AudioPrevious };

    explicit PickerLogic(PickerSurface& surface) : surface_(surface) {}

    void setProgramFileName(const QString& fileName) { fileName_ = fileName.toLower(); }

    // Shows the picker at the selected profile's panel. The caller refuses while converting.
    void open(int selectedProfile, bool previewPlaying);
    void close();
    void hoverCategory(int category);
    void hoverButton(int number);
    // The profile a click selects, or 0 when the button does not select.
    int click(int number);
    void arrow(Arrow arrow);

    // Every button back to its normal bitmap.
    void resetButtons();

    int highlightedCategory() const { return category_; }
    int highlightedButton() const { return button_; }
    bool videoFirstPage() const { return videoFirst_; }
    bool audioFirstPage() const { return audioFirst_; }
    void restore(int category, bool videoFirstPage, bool audioFirstPage);

    // Whether a button reacts to the pointer at all.
    static bool reactsToHover(int number);
    // The opener of a sub-panel button (102..131), or 0.
    static int openerOf(int number);
    // The sub-panel an opener (2..5) shows, or empty.
    static QString subPanelOf(int opener);

private:
    bool standaloneEdition();
    void showCategoryPanels(int category);
    void hideCategoryPanels(int category);
    void unhighlightCategory();
    void showStandalonePage(const QString& show, const QString& hide);
    int standaloneLeft() const;

    PickerSurface& surface_;
    QString fileName_;
    int category_ = -1;
    int button_ = -1;
    bool videoFirst_ = true;
    bool audioFirst_ = true;
};

} // namespace vc
