#include "FormView.h"

#include "FrameWindow.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace fw {

void ddxText(const DataExchange &dx, QLineEdit *edit, QString &value)
{
    if (!edit)
        return;
    if (dx.saveAndValidate())
        value = edit->text();
    else
        edit->setText(value);
}

FormView::FormView(const DialogResource &formTemplate, QWidget *parent)
    : View(parent), m_units(dialogFont(formTemplate)), m_scroll(new QScrollArea(this)), m_form(new QWidget)
{
    m_form->setObjectName(QStringLiteral("form"));
    m_form->setFont(dialogFont(formTemplate));
    m_form->setFixedSize(m_units.size(formTemplate.width, formTemplate.height));

    m_scroll->setObjectName(QStringLiteral("formScrollArea"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    // The form's controls are the tab stops, not the area around them.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(false);
    m_scroll->setWidget(m_form);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);

    m_controls = buildForm(m_form, m_units, formTemplate, {}, [this](int id) {
        if (FrameWindow *frame = parentFrame())
            frame->routeCommand(id);
        else
            runCommand(id);
    });
}

FormView::~FormView() = default;

QSize FormView::formSize() const
{
    return m_form->size();
}

bool FormView::updateData(bool saveAndValidate)
{
    DataExchange dx(saveAndValidate);
    doDataExchange(dx);
    return true;
}

void FormView::onInitialUpdate()
{
    updateData(false);
    onUpdate(nullptr, 0, nullptr);
}

void FormView::doDataExchange(DataExchange &)
{
}

void FormView::resizeParentToFit(bool shrinkOnly)
{
    FrameWindow *frame = parentFrame();
    if (!frame)
        return;
    const QSize extra = size() - formSize();
    QSize frameSize = frame->size();
    if (extra.width() > 0 || !shrinkOnly)
        frameSize.rwidth() -= extra.width();
    if (extra.height() > 0 || !shrinkOnly)
        frameSize.rheight() -= extra.height();
    if (frameSize != frame->size())
        frame->resizeFrame(frameSize);
}

} // namespace fw
