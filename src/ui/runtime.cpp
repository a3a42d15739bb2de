#include "ui/runtime.h"

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <QTranslator>

namespace torvane {

struct Runtime::Impl {
  std::unique_ptr<QApplication> owned;
  QTranslator toolkit_texts;
};

Runtime::Runtime(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
  if (QApplication::instance()) return;
  impl_->owned = std::make_unique<QApplication>(argc, argv);
  // The program speaks Chinese whatever the desktop's language: the toolkit's own dialog texts
  // (file dialogs, standard buttons) follow, when the translations are installed.
  if (impl_->toolkit_texts.load(QStringLiteral("qtbase_zh_CN"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&impl_->toolkit_texts);
  }
}

Runtime::~Runtime() = default;

int Runtime::Run() { return QApplication::instance() ? QApplication::exec() : 1; }

void Runtime::ProcessEvents() {
  if (!QCoreApplication::instance()) return;
  // Two rounds: handling the first batch (a queued close, an editor's commit) may post more.
  for (int round = 0; round < 2; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

void Runtime::Quit(int code) {
  if (QCoreApplication::instance()) QCoreApplication::exit(code);
}

struct UiMailbox::Impl {
  // The context of every posted call, deleted later rather than at once: the mailbox may be
  // destroyed by work it delivered, while the toolkit is still delivering it.
  QObject* context = new QObject;
  // Whether the mailbox still exists; posted work checks it before it runs.
  std::shared_ptr<bool> open = std::make_shared<bool>(true);
};

UiMailbox::UiMailbox() : impl_(std::make_unique<Impl>()) {}

UiMailbox::~UiMailbox() {
  *impl_->open = false;
  if (QCoreApplication::instance() == nullptr) {
    delete impl_->context;
  } else {
    impl_->context->deleteLater();
  }
}

void UiMailbox::Post(std::function<void()> work) {
  if (QCoreApplication::instance() == nullptr) return;
  QMetaObject::invokeMethod(
      impl_->context,
      [open = impl_->open, work = std::move(work)] {
        if (*open) work();
      },
      Qt::QueuedConnection);
}

struct UiIdleWork::Impl {
  // A timer without interval fires whenever the message loop has handled what was waiting. Like
  // the mailbox's context it is deleted later: a slice may destroy the object while the timer is
  // delivering its signal.
  QTimer* timer = nullptr;
  std::shared_ptr<bool> open = std::make_shared<bool>(true);
};

UiIdleWork::UiIdleWork(std::function<bool()> slice) : impl_(std::make_unique<Impl>()) {
  if (QCoreApplication::instance() == nullptr) return;
  impl_->timer = new QTimer;
  impl_->timer->setInterval(0);
  QTimer* timer = impl_->timer;
  QObject::connect(timer, &QTimer::timeout, timer,
                   [open = impl_->open, timer, slice = std::move(slice)] {
                     if (!*open) return;
                     if (!slice() && *open) timer->stop();
                   });
  timer->start();
}

UiIdleWork::~UiIdleWork() {
  *impl_->open = false;
  if (impl_->timer == nullptr) return;
  impl_->timer->stop();
  impl_->timer->deleteLater();
}

}  // namespace torvane
