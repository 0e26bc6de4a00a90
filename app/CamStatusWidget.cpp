#include "CamStatusWidget.h"

#include "IOManager.h"
#include "StatusValueField.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

CamStatusWidget::CamStatusWidget(IOManager *channel, int index, QWidget *parent)
    : QWidget(parent)
    , m_channel(channel)
    , m_index(index)
    , m_label(new QLabel(QStringLiteral("c%1").arg(index + 1, 2, 10, QLatin1Char('0')), this))
    , m_field(new StatusValueField(QString(), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_label);
    layout->addWidget(m_field);
    m_field->setFixedSize(60, 16);
    m_field->setAlignment(Qt::AlignCenter);
    m_field->setText(markerText(-1, -1));
    setWhatsThis(tr("<b>'a/b'</b><br>a: number of detected 2DOF markers <br>b: number of used 2DOF markers"));
    setToolTip(tr("Camera %1: markers it sees / markers of them used for tracking").arg(index + 1));
}

QString CamStatusWidget::fieldText() const
{
    return m_field->text();
}

QString CamStatusWidget::markerText(int detected, int used)
{
    QString text = detected == -1 ? QStringLiteral(" - /") : QStringLiteral("%1/").arg(detected);
    text += used == -1 ? QStringLiteral(" - ") : QString::number(used);
    return text;
}

void CamStatusWidget::setOverride(const QString &text)
{
    m_overrideText = text;
    m_override = true;
}

void CamStatusWidget::showCounts(int detected, int used)
{
    m_field->setText(markerText(detected, used));
}

void CamStatusWidget::refresh()
{
    if (m_override) {
        m_field->setText(m_overrideText);
        m_override = false;
        m_detected = m_used = -1;
        return;
    }
    // A failed query keeps the start value 1, not -1: the field then still reads as counts.
    int detected = 1;
    int used = 1;
    const int camera = m_index + 1;
    m_detected = m_channel->getInt(&detected, "status number_of_rays c%02d", camera) == 0 ? detected : -1;
    m_used = m_channel->getInt(&used, "status number_of_used_rays c%02d", camera) == 0 ? used : -1;
    showCounts(detected, used);
}
