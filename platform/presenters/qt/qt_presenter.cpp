// The Qt 6 Widgets presenter: real widgets built from the framework's model of each dialog, modal
// through the Qt event loop, QMessageBox for message boxes, the desktop's handler for help files and
// the shell's "open". libomraplatform loads this plugin on the first dialog or message box, so a
// program that shows none never maps Qt.
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>
#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

#include "omraplatform/presenter.h"
#include "omraplatform/window_model.h"

namespace {

using omra::Change;

// Win32 mnemonics and Qt's are both '&'; a label without a buddy shows its text without them.
QString without_mnemonics(const std::string &text) {
  QString out;
  QString in = QString::fromStdString(text);
  for (int i = 0; i < in.size(); ++i) {
    if (in[i] == '&') {
      if (i + 1 < in.size() && in[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += in[i];
  }
  return out;
}

QStyle::StandardPixmap standard_pixmap(int icon_id) {
  switch (icon_id) {
    case 32513: return QStyle::SP_MessageBoxCritical;
    case 32514: return QStyle::SP_MessageBoxQuestion;
    case 32515: return QStyle::SP_MessageBoxWarning;
    case 32516: return QStyle::SP_MessageBoxInformation;
    default: return QStyle::SP_DesktopIcon;
  }
}

class QtDialog;

// The dialog window: keys and the close button go to the framework, which decides what they do.
class QtDialog : public QDialog {
 public:
  QtDialog(HWND dialog, QWidget *owner) : QDialog(owner), model(dialog) {}

  HWND model;
  std::map<HWND, QWidget *> widgets;
  bool syncing = false;  // true while the model is copied into the widgets: no reports back

  void build();
  void apply(HWND w, Change what);
  void apply_all(HWND w);

 protected:
  void keyPressEvent(QKeyEvent *event) override {
    if (!model) return QDialog::keyPressEvent(event);
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: omra::UserPressKey(model, omra::Key::Enter); return;
      case Qt::Key_Escape: omra::UserPressKey(model, omra::Key::Escape); return;
      case Qt::Key_F1: omra::UserPressKey(model, omra::Key::F1); return;
      default: QDialog::keyPressEvent(event);
    }
  }
  // The window's close button: Esc in Win32 terms (IDCANCEL).
  void reject() override {
    if (model && !model->ended) {
      omra::UserPressKey(model, omra::Key::Escape);
    } else {
      QDialog::reject();
    }
  }

 private:
  QWidget *make(HWND w);
  void rebuild_rows(HWND w, QTreeWidget *tree);
  void apply_selection(HWND w, QTreeWidget *tree);
};

QRect to_qrect(const RECT &r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

QWidget *QtDialog::make(HWND w) {
  QWidget *widget = nullptr;
  switch (w->kind) {
    case ControlKind::PushButton: {
      auto *b = new QPushButton(this);
      b->setAutoDefault(false);
      b->setDefault((w->style & 0xFu) == BS_DEFPUSHBUTTON);
      connect(b, &QPushButton::clicked, this, [this, w] {
        if (model && !syncing) omra::UserClick(w);
      });
      widget = b;
      break;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
      QAbstractButton *b = w->kind == ControlKind::CheckBox ? static_cast<QAbstractButton *>(new QCheckBox(this))
                                                            : new QRadioButton(this);
      // Groups are the framework's (WS_GROUP); Qt must not uncheck buttons of other groups.
      b->setAutoExclusive(false);
      connect(b, &QAbstractButton::clicked, this, [this, w] {
        if (!model || syncing) return;
        omra::UserClick(w);
        if (model) apply(w, Change::Check);
      });
      widget = b;
      break;
    }
    case ControlKind::GroupBox: widget = new QGroupBox(this); break;
    case ControlKind::Static: {
      auto *label = new QLabel(this);
      label->setWordWrap(true);
      label->setAlignment(((w->style & 0xFu) == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
      widget = label;
      break;
    }
    case ControlKind::Icon: widget = new QLabel(this); break;
    case ControlKind::Edit: {
      auto *edit = new QLineEdit(this);
      if (w->style & ES_NUMBER) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
      }
      connect(edit, &QLineEdit::textEdited, this, [this, w](const QString &text) {
        if (model && !syncing) omra::UserType(w, text.toStdString());
      });
      widget = edit;
      break;
    }
    case ControlKind::ListView: {
      auto *tree = new QTreeWidget(this);
      tree->setRootIsDecorated(false);
      tree->setUniformRowHeights(true);
      tree->setAllColumnsShowFocus(true);
      tree->setSelectionBehavior(QAbstractItemView::SelectRows);
      tree->setSelectionMode(w->style & LVS_SINGLESEL ? QAbstractItemView::SingleSelection
                                                      : QAbstractItemView::ExtendedSelection);
      tree->header()->setStretchLastSection(false);
      tree->header()->setSectionsMovable(false);
      connect(tree, &QTreeWidget::itemClicked, this, [this, w, tree](QTreeWidgetItem *item) {
        if (model && !syncing) omra::UserClickRow(w, tree->indexOfTopLevelItem(item));
      });
      connect(tree, &QTreeWidget::itemDoubleClicked, this, [this, w, tree](QTreeWidgetItem *item) {
        if (model && !syncing) omra::UserDoubleClickRow(w, tree->indexOfTopLevelItem(item));
      });
      connect(tree, &QTreeWidget::itemSelectionChanged, this, [this, w, tree] {
        if (!model || syncing) return;
        std::vector<int> rows;
        for (QTreeWidgetItem *item : tree->selectedItems()) rows.push_back(tree->indexOfTopLevelItem(item));
        omra::UserMovesSelection(w, rows, tree->currentItem() ? tree->indexOfTopLevelItem(tree->currentItem()) : -1);
      });
      widget = tree;
      break;
    }
    case ControlKind::Tab: {
      auto *tabs = new QTabWidget(this);
      connect(tabs, &QTabWidget::currentChanged, this, [this, w](int index) {
        if (model && !syncing && index >= 0) omra::UserSelectTab(w, index);
      });
      widget = tabs;
      break;
    }
  }
  return widget;
}

void QtDialog::build() {
  setWindowTitle(QString::fromStdString(model->text));
  setModal(model->modal);
  for (auto &child : model->children) {
    QWidget *widget = make(child.get());
    widgets[child.get()] = widget;
  }
  // Labels with a mnemonic focus the next control that takes the focus, as in a Win32 dialog.
  for (size_t i = 0; i < model->children.size(); ++i) {
    HWND w = model->children[i].get();
    if (w->kind != ControlKind::Static || (w->style & SS_NOPREFIX)) continue;
    for (size_t j = i + 1; j < model->children.size(); ++j) {
      ControlKind k = model->children[j]->kind;
      if (k == ControlKind::Static || k == ControlKind::GroupBox || k == ControlKind::Icon) continue;
      static_cast<QLabel *>(widgets[w])->setBuddy(widgets[model->children[j].get()]);
      break;
    }
  }
  for (auto &child : model->children) apply_all(child.get());
  // Frames go beneath the controls that lie on them.
  for (auto &child : model->children) {
    if (child->kind == ControlKind::GroupBox || child->kind == ControlKind::Tab) widgets[child.get()]->lower();
  }
  apply(model, Change::Rect);
}

void QtDialog::apply_all(HWND w) {
  for (Change c : {Change::Text, Change::Rect, Change::Visible, Change::Enabled, Change::Check, Change::Limit,
                   Change::Style, Change::Icon, Change::Columns, Change::Tabs}) {
    apply(w, c);
  }
}

void QtDialog::rebuild_rows(HWND w, QTreeWidget *tree) {
  tree->clear();
  for (const ListRow &row : w->rows) {
    auto *item = new QTreeWidgetItem(tree);
    for (size_t c = 0; c < row.texts.size() && c < w->columns.size(); ++c) {
      item->setText(static_cast<int>(c), QString::fromStdString(row.texts[c]));
    }
  }
  apply_selection(w, tree);
}

void QtDialog::apply_selection(HWND w, QTreeWidget *tree) {
  for (int i = 0; i < tree->topLevelItemCount() && i < static_cast<int>(w->rows.size()); ++i) {
    QTreeWidgetItem *item = tree->topLevelItem(i);
    item->setSelected(w->rows[i].state & LVIS_SELECTED);
    if (w->rows[i].state & LVIS_FOCUSED) tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  }
  if (w->scrolled_to >= 0 && w->scrolled_to < tree->topLevelItemCount()) {
    tree->scrollToItem(tree->topLevelItem(w->scrolled_to));
  }
}

void QtDialog::apply(HWND w, Change what) {
  syncing = true;
  if (w == model) {
    switch (what) {
      case Change::Text: setWindowTitle(QString::fromStdString(w->text)); break;
      case Change::Visible:
        // A modal dialog is shown by its event loop.
        if (!w->modal) setVisible(w->visible);
        break;
      case Change::Rect:
        setFixedSize(w->rect.right - w->rect.left - w->frame.left - w->frame.right,
                     w->rect.bottom - w->rect.top - w->frame.top - w->frame.bottom);
        move(w->rect.left, w->rect.top);
        break;
      case Change::Foreground:
        raise();
        activateWindow();
        break;
      case Change::Focus:
        if (!w->focus) setFocus(Qt::OtherFocusReason);
        break;
      default: break;
    }
    syncing = false;
    return;
  }
  auto found = widgets.find(w);
  if (found == widgets.end()) {
    syncing = false;
    return;
  }
  QWidget *widget = found->second;
  QString text = QString::fromStdString(w->text);
  switch (what) {
    case Change::Text:
      if (auto *b = qobject_cast<QAbstractButton *>(widget)) {
        b->setText(text);
      } else if (auto *g = qobject_cast<QGroupBox *>(widget)) {
        g->setTitle(without_mnemonics(w->text));
      } else if (auto *e = qobject_cast<QLineEdit *>(widget)) {
        if (e->text() != text) e->setText(text);
      } else if (auto *l = qobject_cast<QLabel *>(widget); l && w->kind == ControlKind::Static) {
        l->setText(l->buddy() ? text : without_mnemonics(w->text));
      }
      break;
    case Change::Visible: widget->setVisible(w->visible); break;
    case Change::Enabled: widget->setEnabled(w->enabled); break;
    case Change::Check:
      if (auto *b = qobject_cast<QAbstractButton *>(widget)) {
        b->setCheckable(true);
        b->setChecked(w->check == BST_CHECKED);
      }
      break;
    case Change::Rect: widget->setGeometry(to_qrect(w->rect)); break;
    case Change::Limit:
      if (auto *e = qobject_cast<QLineEdit *>(widget)) e->setMaxLength(w->text_limit > 0 ? w->text_limit : 32767);
      break;
    case Change::Style:
      if (auto *e = qobject_cast<QLineEdit *>(widget)) {
        e->setEchoMode(w->style & ES_PASSWORD ? QLineEdit::Password : QLineEdit::Normal);
        e->setReadOnly(w->style & ES_READONLY);
      }
      if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
        tree->setAlternatingRowColors(false);
      }
      break;
    case Change::Icon:
      if (auto *l = qobject_cast<QLabel *>(widget); l && w->kind == ControlKind::Icon) {
        if (w->icon) {
          int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
          l->setPixmap(style()->standardIcon(standard_pixmap(omra::StandardIconId(w->icon))).pixmap(size, size));
        } else {
          l->clear();
        }
      }
      break;
    case Change::Columns:
      if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
        QStringList headers;
        for (const ListColumn &c : w->columns) headers << QString::fromStdString(c.text);
        tree->setColumnCount(static_cast<int>(headers.size()));
        tree->setHeaderLabels(headers);
        for (int i = 0; i < static_cast<int>(w->columns.size()); ++i) tree->setColumnWidth(i, w->columns[i].width);
        rebuild_rows(w, tree);
      }
      break;
    case Change::Rows:
      if (auto *tree = qobject_cast<QTreeWidget *>(widget)) rebuild_rows(w, tree);
      break;
    case Change::Selection:
      if (auto *tree = qobject_cast<QTreeWidget *>(widget)) apply_selection(w, tree);
      break;
    case Change::Tabs:
      if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
        while (tabs->count() > static_cast<int>(w->tabs.size())) {
          QWidget *page = tabs->widget(tabs->count() - 1);
          tabs->removeTab(tabs->count() - 1);
          delete page;
        }
        for (int i = 0; i < static_cast<int>(w->tabs.size()); ++i) {
          if (i >= tabs->count()) tabs->addTab(new QWidget, QString());
          tabs->setTabText(i, QString::fromStdString(w->tabs[i]));
        }
        if (w->current_tab >= 0) tabs->setCurrentIndex(w->current_tab);
      }
      break;
    case Change::Focus:
      if (model->focus == w) widget->setFocus(Qt::OtherFocusReason);
      break;
    case Change::Foreground: break;
  }
  syncing = false;
}

QtDialog *view_of(HWND dialog) { return dialog ? static_cast<QtDialog *>(dialog->view) : nullptr; }

class QtPresenter : public omra::Presenter {
 public:
  QtPresenter() {
    // The framework follows the focus the user moves with the mouse or the Tab key.
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [this](QWidget *, QWidget *now) {
      for (HWND dialog : omra::LiveDialogs()) {
        QtDialog *view = view_of(dialog);
        if (!view || view->syncing || !now) continue;
        for (auto &[w, widget] : view->widgets) {
          if (widget == now || widget->isAncestorOf(now)) {
            if (dialog->focus != w) omra::UserFocus(w);
            return;
          }
        }
      }
    });
  }

  SIZE DialogBaseUnits(HWND) override {
    // Win32's rule: the average width of the 52 letters, and the font's height.
    QFontMetrics fm(QApplication::font());
    int width = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(width / 26 + 1) / 2, fm.height()};
  }
  omra::Frame DialogFrame(HWND) override { return {0, 0, 0, 0}; }
  SIZE ScreenSize() override {
    QScreen *screen = QApplication::primaryScreen();
    QRect r = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    return {r.width(), r.height()};
  }

  bool CreateView(HWND dialog) override {
    auto *view = new QtDialog(dialog, view_of(dialog->parent));
    dialog->view = view;
    view->build();
    return true;
  }

  void DestroyView(HWND dialog) override {
    QtDialog *view = view_of(dialog);
    if (!view) return;
    // The model goes away now; the widget may still be in one of its own signals, so it goes later.
    view->model = nullptr;
    view->widgets.clear();
    view->hide();
    view->deleteLater();
    dialog->view = nullptr;
    // Let the window go from the screen now, but run no user input: the framework may be inside a
    // handler of another dialog.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

  void Changed(HWND window, Change what) override {
    HWND dialog = omra_dialog_of(window);
    if (QtDialog *view = view_of(dialog); view && view->model) view->apply(window, what);
  }

  void Paint(HWND dialog) override {
    if (QtDialog *view = view_of(dialog)) {
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      view->repaint();
    }
  }

  void RunModal(HWND dialog) override {
    QtDialog *view = view_of(dialog);
    if (!view) return;
    view->exec();
    // Closed some other way (the application quitting): Cancel.
    if (!dialog->ended) {
      dialog->ended = true;
      dialog->modal_result = IDCANCEL;
    }
  }

  void EndModal(HWND dialog) override {
    if (QtDialog *view = view_of(dialog)) view->done(static_cast<int>(dialog->modal_result));
  }

  int MessageBox(HWND owner, const char *text, const char *caption, UINT type) override {
    QMessageBox box(view_of(owner));
    box.setWindowTitle(QString::fromUtf8(caption));
    box.setText(QString::fromUtf8(text));
    switch (type & MB_ICONMASK) {
      case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
      case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
      case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
      case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
      default: box.setIcon(QMessageBox::NoIcon); break;
    }
    std::map<QAbstractButton *, int> answers;
    int default_answer = omra::MessageBoxDefault(type);
    for (int answer : omra::MessageBoxButtons(type)) {
      QMessageBox::StandardButton standard = answer == IDOK       ? QMessageBox::Ok
                                             : answer == IDCANCEL ? QMessageBox::Cancel
                                             : answer == IDYES    ? QMessageBox::Yes
                                                                  : QMessageBox::No;
      QAbstractButton *button = box.addButton(standard);
      answers[button] = answer;
      if (answer == default_answer) box.setDefaultButton(static_cast<QPushButton *>(button));
    }
    box.exec();
    auto found = answers.find(box.clickedButton());
    if (found != answers.end()) return found->second;
    // Closed without a button: Cancel where there is one, else the default.
    for (auto &[button, answer] : answers) {
      if (answer == IDCANCEL) return IDCANCEL;
    }
    return default_answer;
  }

  bool Help(HWND, const char *file, UINT, ULONG_PTR) override {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(QString::fromUtf8(file)).absoluteFilePath()));
  }

  bool ShellOpen(HWND, const char *, const char *file, const char *, const char *, int) override {
    return QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromUtf8(file)));
  }

  SIZE MeasureText(HWND window, const char *text, int width, UINT format) override {
    QFont font = QApplication::font();
    HWND dialog = omra_dialog_of(window);
    if (QtDialog *view = view_of(dialog)) {
      auto found = view->widgets.find(window);
      font = found != view->widgets.end() ? found->second->font() : view->font();
    }
    QFontMetrics fm(font);
    int flags = Qt::AlignLeft | Qt::AlignTop;
    if (format & DT_SINGLELINE) {
      flags |= Qt::TextSingleLine;
    } else if (format & DT_WORDBREAK) {
      flags |= Qt::TextWordWrap;
    }
    QString s = QString::fromUtf8(text);
    QRect r = fm.boundingRect(QRect(0, 0, width > 0 ? width : INT_MAX / 2, INT_MAX / 2), flags, s);
    return {r.width(), std::max(r.height(), fm.height())};
  }

  bool Screenshot(HWND dialog, const char *png_path) override {
    QtDialog *view = view_of(dialog);
    if (!view) return false;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QFileInfo info(QString::fromUtf8(png_path));
    QDir().mkpath(info.absolutePath());
    return view->grab().save(info.absoluteFilePath(), "PNG");
  }
};

// Whether an X server answers at $DISPLAY. Qt ends the process when its xcb platform cannot connect,
// so the plugin asks first (through libxcb, which that platform needs anyway).
bool x_server_answers() {
  void *xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (!xcb) return false;
  using Connect = void *(*)(const char *, int *);
  using HasError = int (*)(void *);
  using Disconnect = void (*)(void *);
  auto connect_fn = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
  auto has_error = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
  auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
  bool ok = false;
  if (connect_fn && has_error && disconnect) {
    void *connection = connect_fn(nullptr, nullptr);
    ok = connection && has_error(connection) == 0;
    if (connection) disconnect(connection);
  }
  dlclose(xcb);
  return ok;
}

// The platform Qt would pick: QT_QPA_PLATFORM, else Wayland when its display is set, else X.
bool platform_reachable(const char **why) {
  const char *platform = std::getenv("QT_QPA_PLATFORM");
  const char *wayland = std::getenv("WAYLAND_DISPLAY");
  bool xcb = platform && *platform ? std::strncmp(platform, "xcb", 3) == 0 : !(wayland && *wayland);
  if (xcb && !x_server_answers()) {
    *why = "the X display named by DISPLAY does not answer";
    return false;
  }
  return true;
}

}  // namespace

// The plugin's entry point: makes the QApplication when the process has none. Null, with the reason in
// why, when no window can be shown.
extern "C" __attribute__((visibility("default"))) omra::Presenter *omra_create_qt_presenter(const char **why) {
  if (!QCoreApplication::instance()) {
    if (!platform_reachable(why)) return nullptr;
    static int argc = 1;
    static char name[] = "omra";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
  } else if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
    *why = "the program's Qt application object cannot show widgets";
    return nullptr;
  }
  return new QtPresenter;
}
