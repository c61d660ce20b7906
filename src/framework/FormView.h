#pragma once

#include "DialogUnits.h"
#include "View.h"

class QLineEdit;
class QScrollArea;

namespace fw {

// Direction of one data exchange between a form's controls and its members.
class DataExchange
{
public:
    explicit DataExchange(bool saveAndValidate) : m_save(saveAndValidate) {}
    // True: controls -> members; false: members -> controls.
    bool saveAndValidate() const { return m_save; }

private:
    bool m_save;
};

// Copies an edit's whole text into the member, or the member into the edit.
void ddxText(const DataExchange &dx, QLineEdit *edit, QString &value);

// A view that shows a fixed form laid out in dialog units. The form keeps its
// size; a view smaller than the form scrolls.
class FormView : public View
{
    Q_OBJECT

public:
    // The form's size in dialog units of its font.
    FormView(const QFont &formFont, QSize formSizeInUnits, QWidget *parent = nullptr);
    ~FormView() override;

    // The widget that the form's controls are placed on.
    QWidget *form() const { return m_form; }
    const DialogUnits &units() const { return m_units; }
    QSize formSize() const;

    // Places a control at a rectangle given in dialog units.
    void place(QWidget *control, int x, int y, int width, int height) const;

    // Runs doDataExchange in the given direction.
    bool updateData(bool saveAndValidate = true);

    // Transfers the members to the controls, then updates from the document.
    void onInitialUpdate() override;

    // Makes the frame smaller (or, unless shrinkOnly, also larger) so that
    // this view has exactly the form's size; position and stacking stay.
    void resizeParentToFit(bool shrinkOnly = true);

protected:
    virtual void doDataExchange(DataExchange &dx);

private:
    DialogUnits m_units;
    QScrollArea *m_scroll;
    QWidget *m_form;
};

} // namespace fw
