#include "app/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::StandardButtons ButtonsOf(EMsgButtons buttons) {
    switch (buttons) {
        case EMsgButtons::Ok:
            return QMessageBox::Ok;
        case EMsgButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case EMsgButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case EMsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case EMsgButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case EMsgButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton ButtonOf(EMsgAnswer answer) {
    switch (answer) {
        case EMsgAnswer::Ok:
            return QMessageBox::Ok;
        case EMsgAnswer::Cancel:
            return QMessageBox::Cancel;
        case EMsgAnswer::Yes:
            return QMessageBox::Yes;
        case EMsgAnswer::No:
            return QMessageBox::No;
        case EMsgAnswer::Retry:
            return QMessageBox::Retry;
        case EMsgAnswer::Abort:
            return QMessageBox::Abort;
        case EMsgAnswer::Ignore:
            return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

EMsgAnswer AnswerOf(int button, EMsgAnswer fallback) {
    switch (button) {
        case QMessageBox::Ok:
            return EMsgAnswer::Ok;
        case QMessageBox::Cancel:
            return EMsgAnswer::Cancel;
        case QMessageBox::Yes:
            return EMsgAnswer::Yes;
        case QMessageBox::No:
            return EMsgAnswer::No;
        case QMessageBox::Retry:
            return EMsgAnswer::Retry;
        case QMessageBox::Abort:
            return EMsgAnswer::Abort;
        case QMessageBox::Ignore:
            return EMsgAnswer::Ignore;
        default:
            return fallback;
    }
}

QMessageBox::Icon IconOf(EMsgIcon icon) {
    switch (icon) {
        case EMsgIcon::Information:
            return QMessageBox::Information;
        case EMsgIcon::Warning:
            return QMessageBox::Warning;
        case EMsgIcon::Error:
            return QMessageBox::Critical;
        case EMsgIcon::Question:
            return QMessageBox::Question;
        case EMsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

CQtPrompter::~CQtPrompter() {
    EndProgress();
}

EMsgAnswer CQtPrompter::Message(const SPromptMessage& message) {
    QMessageBox box(IconOf(message.icon), Q(message.caption), Q(message.text),
                    ButtonsOf(message.buttons), m_pParent);
    box.setDefaultButton(ButtonOf(message.defaultAnswer));
    // Closing the box answers Cancel where there is one, else the default.
    const EMsgAnswer fallback =
        (message.buttons == EMsgButtons::YesNoCancel || message.buttons == EMsgButtons::OkCancel ||
         message.buttons == EMsgButtons::RetryCancel)
            ? EMsgAnswer::Cancel
            : message.defaultAnswer;
    return AnswerOf(box.exec(), fallback);
}

std::optional<std::string> CQtPrompter::AskSaveName(const SFileRequest& request) {
    const QString name = QFileDialog::getSaveFileName(m_pParent, Q(request.caption),
                                                      Q(request.initialName), Q(request.filter));
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name.toStdString();
}

std::optional<std::string> CQtPrompter::AskOpenName(const SFileRequest& request) {
    const QString name = QFileDialog::getOpenFileName(m_pParent, Q(request.caption),
                                                      Q(request.initialName), Q(request.filter));
    if (name.isEmpty()) {
        return std::nullopt;
    }
    return name.toStdString();
}

void CQtPrompter::BeginProgress(std::string_view caption) {
    EndProgress();
    m_bCancelled = false;
    m_pProgress = new QProgressDialog(Q(caption), QObject::tr("Cancel"), 0, 100, m_pParent);
    m_pProgress->setWindowTitle(Q(caption));
    m_pProgress->setWindowModality(Qt::ApplicationModal);
    m_pProgress->setMinimumDuration(500);
    m_pProgress->setAutoClose(false);
    m_pProgress->setAutoReset(false);
}

void CQtPrompter::SetProgress(int percent) {
    if (m_pProgress) {
        m_pProgress->setValue(percent);
        QApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    }
}

bool CQtPrompter::IsCancelled() {
    if (m_pProgress && m_pProgress->wasCanceled()) {
        m_bCancelled = true;
    }
    return m_bCancelled;
}

void CQtPrompter::EndProgress() {
    if (m_pProgress) {
        m_pProgress->close();
        delete m_pProgress.data();
    }
}
