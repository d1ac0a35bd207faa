// The picture measurement windows: opening pictures of every offered format, zooming, drawing
// lines with the mouse, the "Measure" dialog writing the boxes, the slots menu round trip and
// the magnifier over a fake screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fcntl.h>    // for open
#include <sys/stat.h> // for mkfifo
#include <thread>
#include <unistd.h> // for write, close

#include "indexing/result_text.hpp"
#include "ui/common/box_array.hpp"
#include "ui/common/fake_environment.hpp"
#include "ui/measurement/magnifier.hpp"
#include "ui/measurement/measure_dialog.hpp"
#include "ui/measurement/picture_tools.hpp"
#include "ui/measurement/picture_view.hpp"
#include "ui/measurement/slots_menu_controller.hpp"

namespace spot {
namespace {

using testing::FakePrompts;

/// The boxes, the phase name and the lattice type the measurement panels work on, recording
/// what was written in which order, and how often the panels asked for the results to go.
struct FakeHost {
  QWidget owner;
  BoxArray boxes{&owner};
  QLineEdit name{QStringLiteral("NAME"), &owner};
  QComboBox type{&owner};
  int clears = 0;
  QStringList log; ///< "box N", "name", "position" in call order

  FakeHost() {
    for (int i = 0; i < 5; ++i)
      type.addItem(QString::number(i));
    QObject::connect(&boxes, &BoxArray::changed,
                     [this](Box which) { log << QStringLiteral("box %1").arg(BoxNumber(which)); });
    QObject::connect(&name, &QLineEdit::textChanged, [this] { log << QStringLiteral("name"); });
    QObject::connect(&type, &QComboBox::currentIndexChanged,
                     [this] { log << QStringLiteral("position"); });
  }
  /// Counts the requests of a panel's signal to empty the results.
  template <class Sender, class Signal> void countClears(Sender* sender, Signal signal) {
    QObject::connect(sender, signal, [this] { ++clears; });
  }
  void setBoxText(Box which, const QString& text) { boxes.setText(which, text); }
  QString text(Box which) const { return boxes.text(which); }
};

/// Prompts that also keep the filter of the open dialog.
class RecordingPrompts final : public Prompts {
public:
  FakePrompts inner;
  QString lastFilter;
  void showMessage(const QString& text) override { inner.showMessage(text); }
  std::optional<QString> askText(const QString& p, const QString& t, const QString& i) override {
    return inner.askText(p, t, i);
  }
  QString chooseFileToOpen(const QString& title, const QString& folder,
                           const QString& filter) override {
    lastFilter = filter;
    return inner.chooseFileToOpen(title, folder, filter);
  }
};

/// A 128-grey GIF written by hand (Qt reads GIF but cannot write it). Minimum code size 7 makes
/// every LZW code 8 bits; a clear code every 100 pixels keeps the code size from growing.
QByteArray grayGif(int width, int height) {
  QByteArray gif("GIF89a");
  const auto word = [&gif](int value) {
    gif.append(static_cast<char>(value & 0xFF));
    gif.append(static_cast<char>((value >> 8) & 0xFF));
  };
  word(width);
  word(height);
  gif.append(static_cast<char>(0xF6)); // global table of 2^(6+1) = 128 colours
  gif.append('\0').append('\0');
  for (int i = 0; i < 128; ++i)
    gif.append(QByteArray(3, static_cast<char>(i * 2)));
  gif.append(',');
  word(0);
  word(0);
  word(width);
  word(height);
  gif.append('\0');
  gif.append(static_cast<char>(7));
  QByteArray codes;
  for (int i = 0; i < width * height; ++i) {
    if (i % 100 == 0) codes.append(static_cast<char>(128)); // clear
    codes.append(static_cast<char>((i % width + i / width) % 128));
  }
  codes.append(static_cast<char>(129)); // end of information
  for (qsizetype at = 0; at < codes.size(); at += 255) {
    const QByteArray block = codes.mid(at, 255);
    gif.append(static_cast<char>(block.size())).append(block);
  }
  gif.append('\0').append(';');
  return gif;
}

/// Writes a picture of the given size in the format its suffix names.
QString writePicture(const QTemporaryDir& dir, const QString& fileName, QSize size) {
  const QString path = dir.filePath(fileName);
  if (fileName.endsWith(QStringLiteral(".gif"))) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(grayGif(size.width(), size.height()));
    return path;
  }
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.setPen(Qt::white);
  painter.drawLine(5, size.height() - 5, 25, size.height() - 5); // a scale bar
  painter.drawEllipse(QPoint(size.width() / 2, size.height() / 2), 3, 3);
  painter.end();
  EXPECT_TRUE(image.save(path)) << path.toStdString();
  return path;
}

/// Sends a mouse event with a position in device-independent pixels, fractions kept as a
/// scaled display delivers them.
void sendMouse(QWidget* widget, QEvent::Type type, QPointF position, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, position, widget->mapToGlobal(position), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

/// A left drag in measure mode, in whole pixels as QTest moves the mouse.
void drawLine(QWidget* view, QPoint from, QPoint to) {
  QTest::mousePress(view, Qt::LeftButton, {}, from);
  QTest::mouseMove(view, (from + to) / 2);
  QTest::mouseMove(view, to);
  QTest::mouseRelease(view, Qt::LeftButton, {}, to);
}

struct PictureViewWindow : ::testing::Test {
  FakeHost host;
  RecordingPrompts prompts;
  QWidget window;
  MeasurementState state;
  PictureView* view = new PictureView(state, host.boxes, prompts, &window);
  PictureTools* tools = new PictureTools(*view, &window);
  QTemporaryDir dir;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    host.countClears(view, &PictureView::cleaned);
    view->setGeometry(0, 0, 400, 300);
    tools->setGeometry(400, 0, 120, 300);
    window.resize(520, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  QPushButton* button(const char* name) { return tools->findChild<QPushButton*>(name); }
  void open(const QString& file) {
    prompts.inner.files.push_back(file);
    button("Command2")->click();
  }
};

TEST(PictureFileFilter, KeepsTheDescriptionsAndListsThePatternsTheWayQtReadsThem) {
  // Each "desc|a;b" pair becomes "desc (a b)"; pairs are joined by ";;". The microscope formats'
  // entry comes first, so that the dialog opens on it; the six before it follow unchanged.
  EXPECT_EQ(QtFileFilter(QString::fromUtf8(kPictureFileFilter)),
            QStringLiteral("Microscope and common pictures (*.dm3 *.dm4 *.mrc *.tif *.tiff *.jpg "
                           "*.jpeg *.bmp *.gif *.png);;"
                           "所有格式图像 (*.jpg *.jpeg *.bmp *.gif *.tif *.tiff *.png);;"
                           "JPEG图像(*.jpg;*.jpeg) (*.jpg *.jpeg);;BMP图像(*.bmp) (*.bmp);;"
                           "GIF图像(*.gif) (*.gif);;TIFF图像(*.tif;*.tiff) (*.tif *.tiff);;"
                           "PNG图像(*.png) (*.png)"));
}

TEST_F(PictureViewWindow, OpensEveryOfferedFormatAtItsOwnSizeCentredAfterCleaning) {
  const QStringList names = {"a.jpg", "b.jpeg", "c.bmp", "d.gif", "e.tif", "f.tiff", "g.png"};
  int expectedClears = 0;
  for (int i = 0; i < names.size(); ++i) {
    const QSize size(60 + 2 * i, 40 + i);
    host.setBoxText(Box::Length1, QStringLiteral("123"));
    open(writePicture(dir, names[i], size));
    ++expectedClears;
    SCOPED_TRACE(names[i].toStdString());
    ASSERT_TRUE(view->hasPicture());
    EXPECT_EQ(view->picture().size(), size);
    // Centred on the middle of the 400 x 300 view: the rectangle's centre is (200, 150).
    EXPECT_EQ(view->imageRect(), QRectF(200 - size.width() / 2.0, 150 - size.height() / 2.0,
                                        size.width(), size.height()));
    EXPECT_EQ(host.text(Box::Length1), QString()); // Clean ran first
    EXPECT_EQ(host.clears, expectedClears);
  }
  EXPECT_EQ(prompts.lastFilter, QtFileFilter(QString::fromUtf8(kPictureFileFilter)));
  EXPECT_TRUE(prompts.inner.messages.isEmpty());

  // A cancelled dialog, then a file that is no picture: both still clean, the last picture
  // stays, and only the undecodable file is reported, by name.
  const QSize last = view->picture().size();
  host.setBoxText(Box::Number2, QStringLiteral("3"));
  open(QString());
  EXPECT_EQ(host.text(Box::Number2), QString());
  QFile broken(dir.filePath(QStringLiteral("broken.png")));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("this is not a picture");
  broken.close();
  open(broken.fileName());
  EXPECT_EQ(view->picture().size(), last);
  ASSERT_EQ(prompts.inner.messages.size(), 1);
  EXPECT_TRUE(prompts.inner.messages[0].contains(QStringLiteral("broken.png")));
  EXPECT_FALSE(prompts.inner.messages[0].endsWith(QStringLiteral(": ."))); // and the reader's why
}

TEST_F(PictureViewWindow, RefusesFifosAndOversizedPicturesButReadsLargeCameraFrames) {
  // A FIFO: opening it for reading waits for a writer. A writer that keeps trying lets a loader
  // that did wait read garbage and fail with another message; one that refuses the FIFO at once
  // stops the writer.
  const QString fifo = dir.filePath(QStringLiteral("frame.tif"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    while (!done) {
      const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
      if (fd < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      (void)!::write(fd, "garbage", 7);
      ::close(fd);
      return;
    }
  });
  EXPECT_FALSE(view->loadPicture(fifo));
  done = true;
  writer.join();
  ASSERT_EQ(prompts.inner.messages.size(), 1);
  EXPECT_EQ(prompts.inner.messages[0],
            QStringLiteral("The picture %1 cannot be opened: it is not a regular file.").arg(fifo));

  // The header alone tells the size; no pixel data follows. 30000 x 30000 pixels shown at 4 bytes:
  // 3,600,000,000 B = 3433.2 MiB, over the 1024 MiB limit. 16384 x 16384 at 4 bytes is 1024 MiB
  // exactly: at the limit the reader would refuse it with a message that says nothing, so it is
  // named as too large. A PNG of 16-bit colour decodes to 8 bytes a pixel: 12000 x 12000 x 8 B =
  // 1098.6 MiB, where 4 bytes would make 549 MiB; its header chunk, with the CRC-32 it needs, then
  // the start of a data chunk, where the reader stops to tell the size.
  QByteArray png("IHDR\0\0\x2e\xe0\0\0\x2e\xe0\x10\x06\0\0\0", 17); // 12000 = 0x2ee0
  quint32 crc = 0xffffffffu;
  for (const char byte : png) {
    crc ^= static_cast<uchar>(byte);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  png.prepend(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12));
  for (int shift = 24; shift >= 0; shift -= 8)
    png.append(static_cast<char>(~crc >> shift));
  png.append(QByteArray("\0\0\0\0IDAT", 8));
  const std::pair<QByteArray, const char*> oversized[] = {
      {"P5\n30000 30000\n255\n", "30000 x 30000 pixels take 3434"},
      {"P5\n16384 16384\n255\n", "16384 x 16384 pixels take 1024"},
      {png, "12000 x 12000 pixels take 1099"}};
  for (const auto& [bytes, size] : oversized) {
    QFile huge(dir.filePath(bytes.startsWith('P') ? QStringLiteral("huge.pgm")
                                                  : QStringLiteral("huge.png")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly | QIODevice::Truncate));
    huge.write(bytes);
    huge.close();
    EXPECT_FALSE(view->loadPicture(huge.fileName()));
    EXPECT_EQ(prompts.inner.messages.last(),
              QStringLiteral("The picture %1 cannot be opened: the picture is too large (%2 MiB; a "
                             "picture must stay under 1024 MiB).")
                  .arg(huge.fileName(), QString::fromLatin1(size)));
    EXPECT_FALSE(view->hasPicture());
  }
  ASSERT_EQ(prompts.inner.messages.size(), 4);

  // An 8192 x 8192 16-bit camera frame (uncompressed TIFF, as cameras write them) decodes to
  // 8192 * 8192 * 2 B = 128 MiB, the reader's default limit, which refuses it.
  QImage frame(8192, 8192, QImage::Format_Grayscale16);
  frame.fill(Qt::black);
  const QString framePath = dir.filePath(QStringLiteral("camera.tif"));
  QImageWriter tiff(framePath);
  tiff.setCompression(0);
  ASSERT_TRUE(tiff.write(frame)) << tiff.errorString().toStdString();
  frame = QImage();
  EXPECT_TRUE(view->loadPicture(framePath));
  EXPECT_EQ(view->picture().size(), QSize(8192, 8192));
  EXPECT_EQ(prompts.inner.messages.size(), 4);
}

TEST_F(PictureViewWindow, ZoomButtonsMeasureModeAndInitialFollowTheirRules) {
  open(writePicture(dir, QStringLiteral("p.png"), QSize(100, 80)));
  button("Command3")->click();
  EXPECT_DOUBLE_EQ(view->viewGeometry().scale(), 1.25);
  // The point under the view centre (200, 150) stays there: picture (50, 40).
  const PicturePoint centre = view->viewGeometry().toPicture({200, 150});
  EXPECT_NEAR(centre.x, 50, 1e-9);
  EXPECT_NEAR(centre.y, 40, 1e-9);

  button("Command9")->click();
  EXPECT_TRUE(view->measureMode());
  EXPECT_EQ(button("Command9")->text(), QStringLiteral("Move"));
  EXPECT_EQ(view->cursor().shape(), Qt::BitmapCursor); // the measuring cross, at once
  EXPECT_FALSE(button("Command3")->isEnabled());
  EXPECT_FALSE(button("Command7")->isEnabled());
  drawLine(view, {150, 150}, {250, 150});
  EXPECT_TRUE(view->lineSlots().slot(0).visible);

  button("Command9")->click(); // back to move mode: zoom stays disabled
  EXPECT_EQ(button("Command9")->text(), QStringLiteral("Measure"));
  EXPECT_EQ(view->cursor().shape(), Qt::SizeAllCursor);
  EXPECT_FALSE(button("Command3")->isEnabled());

  button("Command8")->click();
  EXPECT_DOUBLE_EQ(view->viewGeometry().scale(), 1.0);
  EXPECT_EQ(view->imageRect(), QRectF(150, 110, 100, 80));
  EXPECT_TRUE(button("Command3")->isEnabled());
  EXPECT_FALSE(view->lineSlots().slot(0).visible);
  EXPECT_FALSE(view->lineSlots().rubberBandVisible());
  // A hidden line, or a slot that does not exist, is drawn nowhere.
  EXPECT_EQ(view->slotLineOnScreen(0), QLineF());
  EXPECT_EQ(view->slotLineOnScreen(LineSlots::kSlotCount), QLineF());
  EXPECT_EQ(view->rubberBandOnScreen(), QLineF());
}

TEST_F(PictureViewWindow, LinesAreMeasuredInPicturePixelsAndMoveWithThePicture) {
  open(writePicture(dir, QStringLiteral("p.png"), QSize(300, 200)));
  button("Command3")->click(); // scale 1.25
  button("Command9")->click();
  int finished = 0;
  QObject::connect(view, &PictureView::lineFinished, [&finished] { ++finished; });

  // 100 px on screen at a zoom of 1.25 is 80 picture pixels.
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(150, 150));
  QTest::mouseMove(view, QPoint(200, 150));
  EXPECT_TRUE(view->lineSlots().rubberBandVisible());
  EXPECT_EQ(view->rubberBandOnScreen(), QLineF(150, 150, 200, 150));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(250, 150));
  EXPECT_EQ(finished, 1);
  EXPECT_FLOAT_EQ(view->measuredLengthPx(), 80);
  EXPECT_EQ(view->slotLineOnScreen(0), QLineF(150, 150, 250, 150));

  // On a 125 % display one device pixel is 0.8 logical pixels: a drag of 101 device pixels
  // arrives as 80.8, and must not be rounded to whole logical pixels (80.8 / 1.25 = 64.64).
  sendMouse(view, QEvent::MouseButtonPress, {120.4, 100.8}, Qt::LeftButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonRelease, {201.2, 100.8}, Qt::LeftButton, Qt::NoButton);
  EXPECT_FLOAT_EQ(view->measuredLengthPx(), 64.64f);

  // A press off the picture starts nothing; a right drag neither draws nor pans.
  sendMouse(view, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonRelease, {60, 60}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(finished, 2);
  const QRectF before = view->imageRect();
  QTest::mousePress(view, Qt::RightButton, {}, QPoint(150, 150));
  QTest::mouseMove(view, QPoint(180, 170));
  QTest::mouseRelease(view, Qt::RightButton, {}, QPoint(180, 170));
  EXPECT_EQ(finished, 2);
  EXPECT_EQ(view->imageRect(), before);

  // Panning moves the picture and the finished lines by the drag, and hides the rubber band.
  button("Command9")->click();
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(200, 200));
  QTest::mouseMove(view, QPoint(230, 180));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(230, 180));
  EXPECT_EQ(view->imageRect(), before.translated(30, -20));
  EXPECT_EQ(view->slotLineOnScreen(0), QLineF(180, 130, 280, 130));
  EXPECT_FALSE(view->lineSlots().rubberBandVisible());
  // The first button decides: a right button pressed off the picture during the drag does not
  // take the gesture from it.
  sendMouse(view, QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonPress, {2, 2}, Qt::RightButton,
            Qt::LeftButton | Qt::RightButton);
  sendMouse(view, QEvent::MouseButtonRelease, {2, 2}, Qt::RightButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseMove, {210, 200}, Qt::NoButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonRelease, {210, 200}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(view->imageRect(), before.translated(40, -20));

  // Mouse moves over the picture, with or without a button, call for the magnifier.
  int moves = 0;
  QObject::connect(view, &PictureView::pictureMouseMoved, [&moves] { ++moves; });
  sendMouse(view, QEvent::MouseMove, {200, 150}, Qt::NoButton, Qt::NoButton);
  sendMouse(view, QEvent::MouseMove, {2, 2}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(moves, 1);
}

struct MeasureDialogWindow : PictureViewWindow {
  MeasureDialog* dialog = new MeasureDialog(*view, state, host.boxes, &window);

  void SetUp() override {
    PictureViewWindow::SetUp();
    QObject::connect(view, &PictureView::lineFinished, dialog, &MeasureDialog::showForLine);
    open(writePicture(dir, QStringLiteral("p.png"), QSize(360, 280)));
    button("Command9")->click();
  }
  /// Draws a line from the view centre by (dx, dy) and confirms it with a role and entry.
  void measure(QPoint delta, int role, const QString& entry) {
    drawLine(view, {200, 150}, QPoint(200, 150) + delta);
    ASSERT_TRUE(dialog->isVisible());
    QTest::mouseClick(dialog->roleOption(role), Qt::LeftButton);
    dialog->entryBox()->setText(entry);
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    ASSERT_FALSE(dialog->isVisible());
  }
};

TEST_F(MeasureDialogWindow, LaysOutTheControlsAtFifteenTwipsPerPixelAndCaptionsTheLength) {
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Measure"));
  EXPECT_EQ(dialog->size(), QSize(310, 189));                          // 4650 x 2835 twips
  EXPECT_EQ(dialog->roleOption(0)->geometry(), QRect(40, 48, 81, 17)); // (600, 720), 1215 x 255
  EXPECT_EQ(dialog->okButton()->geometry(), QRect(80, 152, 73, 25));   // (1200, 2280), 1095 x 375
  EXPECT_EQ(dialog->cancelButton()->geometry(), QRect(184, 152, 73, 25)); // (2760, 2280)
  EXPECT_EQ(dialog->lengthCaption()->pos(), QPoint(120, 16));             // (1800, 240) twips
  EXPECT_EQ(dialog->entryCaption()->geometry(), QRect(147, 33, 79, 15));  // (2200, 495), 1185 x 225
  EXPECT_EQ(dialog->entryBox()->geometry(), QRect(128, 32, 33, 18));      // (1920, 480), 495 x 270

  // 150 px along both axes: 150·√2 = 212.132 px.
  drawLine(view, {100, 100}, {250, 250});
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->roleOption(0)->isChecked());
  EXPECT_EQ(dialog->lengthCaption()->text(), QStringLiteral("Scale bar length is 212.13px"));
  EXPECT_EQ(dialog->entryCaption()->text(), QStringLiteral("        1/nm"));
  EXPECT_TRUE(dialog->illustration(0)->isVisible());
  EXPECT_EQ(dialog->illustration(0)->pos(), QPoint(112, 40)); // (1680, 600) twips

  QTest::mouseClick(dialog->roleOption(2), Qt::LeftButton);
  EXPECT_EQ(dialog->lengthCaption()->text(), QStringLiteral("R2 length is 212.13px"));
  EXPECT_EQ(dialog->entryCaption()->text(), QStringLiteral("       times length"));
  EXPECT_FALSE(dialog->illustration(0)->isVisible());
  EXPECT_EQ(dialog->illustration(2)->pos(), QPoint(112, 53)); // (1680, 800) twips
  dialog->entryBox()->setText(QStringLiteral("2"));

  // A further line while open only shows the dialog again: role and entry stay.
  drawLine(view, {100, 100}, {110, 100});
  EXPECT_EQ(dialog->role(), LineRole::R2);
  EXPECT_EQ(dialog->entryBox()->text(), QStringLiteral("2"));
  // Closed from outside, the next line starts again with the scale bar and an empty entry.
  dialog->closeDialog();
  EXPECT_EQ(dialog->roundedLengthPx(), 0);
  drawLine(view, {100, 100}, {110, 100});
  EXPECT_EQ(dialog->role(), LineRole::ScaleBar);
  EXPECT_EQ(dialog->entryBox()->text(), QString());
}

TEST_F(MeasureDialogWindow, OpensOffTheLineJustDrawnAndKeepsAPlaceThatLeavesItFree) {
  // A picture area of 700 x 500 with the 360 x 280 picture centred about (350, 250).
  window.resize(820, 500);
  view->setGeometry(0, 0, 700, 500);
  tools->setGeometry(700, 0, 120, 500);
  button("Command8")->click();
  const auto onScreen = [this](QPoint from, QPoint to) {
    return QRect(view->mapToGlobal(from), view->mapToGlobal(to)).normalized();
  };
  // Lines from the central spot, where a dialog centred on the window would sit; the 310 x 189
  // dialog goes to a corner of the picture area that leaves the line and its ends free.
  const QPoint centre(350, 250);
  for (const QPoint end : {QPoint(390, 250), QPoint(440, 160)}) {
    drawLine(view, centre, end);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->frameGeometry().intersects(onScreen(centre, end).adjusted(-5, -5, 5, 5)))
        << end.x() << "," << end.y();
    dialog->cancel();
  }

  // A place the user gave it stays as long as the new line is not under it.
  const QPoint chosen = view->mapToGlobal(QPoint(20, 20));
  dialog->move(chosen);
  drawLine(view, centre, {420, 300});
  EXPECT_EQ(dialog->frameGeometry().topLeft(), chosen);
}

TEST_F(MeasureDialogWindow, OkWritesTheBoxesAndTheAnglesAndCancelTakesBackTheNewestLine) {
  measure({150, 0}, 0, QStringLiteral("5"));
  EXPECT_EQ(host.text(Box::ScaleBarValue), QStringLiteral("5"));
  EXPECT_EQ(host.text(Box::ScaleBarLength), QStringLiteral("150"));
  EXPECT_EQ(host.text(Box::Angle12), QString());

  // R1 along x, R2 at about 60 degrees, R3 near the bisector: R3 lies between R1 and R2.
  const QPoint r1(100, 0), r2(50, -87), r3(87, -50);
  measure(r1, 1, QStringLiteral("1"));
  measure(r2, 2, QStringLiteral("1"));
  EXPECT_EQ(host.text(Box::Angle12), QString()); // R3 not measured yet
  measure(r3, 3, QStringLiteral("2"));
  EXPECT_EQ(host.text(Box::Length1), QStringLiteral("100"));
  EXPECT_EQ(host.text(Box::Number3), QStringLiteral("2"));
  // Expected angles from atan2 of the drawn vectors.
  const auto direction = [](QPoint v) { return std::atan2(-v.y(), v.x()) * 180 / M_PI; };
  EXPECT_NEAR(host.text(Box::Angle12).toDouble(), direction(r2) - direction(r1), 1e-9);
  EXPECT_NEAR(host.text(Box::Angle23).toDouble(), direction(r2) - direction(r3), 1e-9);
  EXPECT_NEAR(host.text(Box::Angle13).toDouble(), direction(r3) - direction(r1), 1e-9);
  EXPECT_TRUE(view->lineSlots().slot(3).visible);

  // The fifth line goes to slot 0 with slot 3 still shown; Cancel hides both.
  const QStringList logBefore = host.log;
  drawLine(view, {200, 150}, {260, 150});
  EXPECT_TRUE(view->lineSlots().slot(0).visible);
  EXPECT_FALSE(view->lineSlots().slot(1).visible);
  QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  for (int i = 0; i < LineSlots::kSlotCount; ++i)
    EXPECT_FALSE(view->lineSlots().slot(i).visible) << i;
  EXPECT_FALSE(view->lineSlots().rubberBandVisible());
  EXPECT_EQ(host.log, logBefore); // Cancel writes no box

  // Clean empties the eleven boxes, asks for the results to go, and leaves measure mode.
  host.setBoxText(Box::DTol1, QStringLiteral("0.01"));
  const int clearsBefore = host.clears;
  button("Command14")->click();
  for (Box box : kPictureMeasurementBoxes)
    EXPECT_EQ(host.text(box), QString()) << BoxNumber(box);
  EXPECT_EQ(host.text(Box::DTol1), QStringLiteral("0.01"));
  EXPECT_EQ(host.clears, clearsBefore + 1);
  EXPECT_FALSE(view->measureMode());
  EXPECT_EQ(view->patternVectors().Measured1, 0);
}

TEST_F(MeasureDialogWindow, TheKeyboardTypesTheValueAndEscapeTakesBackTheLine) {
  const auto shownLines = [this] {
    int shown = 0;
    for (const LineSlot& slot : view->lineSlots().allSlots())
      shown += slot.visible ? 1 : 0;
    return shown;
  };
  // The dialog opens with the value box ready for typing; Return confirms.
  drawLine(view, {100, 100}, {250, 100});
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->focusWidget(), dialog->entryBox());
  QTest::keyClicks(dialog->focusWidget(), QStringLiteral("5"));
  QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(host.text(Box::ScaleBarValue), QStringLiteral("5"));
  EXPECT_EQ(host.text(Box::ScaleBarLength), QStringLiteral("150"));

  // The bar measured again with Return alone: the new length, the value kept.
  drawLine(view, {100, 100}, {260, 100});
  EXPECT_EQ(dialog->focusWidget(), dialog->entryBox());
  QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
  EXPECT_EQ(host.text(Box::ScaleBarLength), QStringLiteral("160"));
  EXPECT_EQ(host.text(Box::ScaleBarValue), QStringLiteral("5"));

  // Escape is "Cancel": the line goes and no box changes.
  const int before = shownLines();
  const QStringList logBefore = host.log;
  drawLine(view, {100, 120}, {200, 120});
  ASSERT_EQ(shownLines(), before + 1);
  QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(shownLines(), before);
  EXPECT_EQ(host.log, logBefore);
}

struct SlotsMenuWindow : ::testing::Test {
  FakeHost host;
  FakePrompts prompts;
  QTemporaryDir dir;
  testing::FakePlaces places{dir.path() + QStringLiteral("/新しい")}; // a folder still missing
  SlotsMenuController slotsMenu{host.boxes, host.name, host.type, prompts, places};

  QString slotsFile() const { return places.slotsFilePath(); }
  QStringList fileLines() const {
    QFile file(slotsFile());
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last CR LF
    return lines;
  }
};

TEST_F(SlotsMenuWindow, SavesAndImportsNonAsciiNamesThroughTheMenu) {
  // The menu creates the folder and an empty file: prefix and suffix with nothing between.
  QWidget frame;
  frame.installEventFilter(&slotsMenu);
  frame.show();
  QTest::mousePress(&frame, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(slotsMenu.menu()->isVisible());
  slotsMenu.menu()->hide();
  // QTest remembers pressed buttons across tests: a later drag would carry the right button.
  QTest::mouseRelease(&frame, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_TRUE(QFile::exists(slotsFile()));
  EXPECT_EQ(slotsMenu.importAction(1)->text(), QStringLiteral("Import:    data"));
  EXPECT_EQ(slotsMenu.importAction(2)->text(), QStringLiteral("Import:   data"));

  // Cancelled or empty names save nothing.
  prompts.answers = {std::nullopt, QString()};
  slotsMenu.saveAction()->trigger();
  slotsMenu.saveAction()->trigger();
  EXPECT_EQ(prompts.questions,
            QStringList({"Input name of your picture.", "Input name of your picture."}));
  EXPECT_TRUE(fileLines().isEmpty());

  const QString picture = QStringLiteral("衍射图 α-Fe₂O₃ №7");
  for (int i = 0; i < kBoxCount; ++i)
    host.setBoxText(static_cast<Box>(i), QStringLiteral("值%1").arg(i));
  host.name.setText(QStringLiteral("赤铁矿"));
  host.type.setCurrentIndex(4);
  prompts.answers = {picture};
  slotsMenu.saveAction()->trigger();
  ASSERT_EQ(fileLines().size(), kSlotsFileLineCount);
  EXPECT_EQ(fileLines()[0], picture);

  FakeHost fresh;
  SlotsMenuController reader{fresh.boxes, fresh.name, fresh.type, prompts, places};
  fresh.countClears(&reader, &SlotsMenuController::phaseImported);
  reader.refreshCaptions();
  EXPECT_EQ(reader.importAction(1)->text(),
            QStringLiteral("Import:  ") + picture + QStringLiteral("  data"));
  reader.importAction(1)->trigger();
  // Boxes in element order, then the name, then the lattice type; then the window is asked
  // to reset what depends on the phase.
  QStringList expectedOrder;
  for (int i = 0; i < kBoxCount; ++i)
    expectedOrder << QStringLiteral("box %1").arg(i);
  expectedOrder << "name"
                << "position";
  EXPECT_EQ(fresh.log, expectedOrder);
  EXPECT_EQ(fresh.text(Box::A), QStringLiteral("值0"));
  EXPECT_EQ(fresh.text(Box::AngleTol13), QStringLiteral("值38"));
  EXPECT_EQ(fresh.name.text(), QStringLiteral("赤铁矿"));
  EXPECT_EQ(fresh.type.currentIndex(), 4);
  EXPECT_EQ(fresh.clears, 1);

  // A "&" in a name is shown as typed, not as a menu shortcut.
  prompts.answers = {QStringLiteral("Cu&Al 1")};
  slotsMenu.saveAction()->trigger();
  reader.refreshCaptions();
  EXPECT_EQ(reader.importAction(1)->iconText(), QStringLiteral("Import:  Cu&Al 1  data"));
  EXPECT_EQ(reader.importAction(2)->iconText(),
            QStringLiteral("Import:  ") + picture + QStringLiteral(" data"));

  // A never-saved slot empties the boxes and the name but keeps the rest.
  reader.importAction(3)->trigger();
  EXPECT_EQ(fresh.text(Box::A), QString());
  EXPECT_EQ(fresh.name.text(), QString());
  EXPECT_EQ(fresh.type.currentIndex(), 4);
  EXPECT_EQ(fresh.clears, 1);
  EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(SlotsMenuWindow, ReportsFilesItCannotUseAndLeavesTheWindowAlone) {
  // A file of more than 2000 lines is not ours: import and save refuse it with a message.
  ASSERT_TRUE(QDir().mkpath(QFileInfo(slotsFile()).path()));
  QFile file(slotsFile());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  for (int i = 0; i <= kSlotsFileMaxLines; ++i)
    file.write("x\r\n");
  file.close();
  const BoxTexts before = host.boxes.texts();
  slotsMenu.importSlot(1);
  EXPECT_EQ(host.boxes.texts().text, before.text);
  prompts.answers = {QStringLiteral("name")};
  slotsMenu.save();
  ASSERT_EQ(prompts.messages.size(), 2);
  EXPECT_TRUE(prompts.messages[0].contains(QStringLiteral("2000")));
  EXPECT_EQ(QFileInfo(slotsFile()).size(), (kSlotsFileMaxLines + 1) * 3);

  // A folder where the file should be cannot be read.
  ASSERT_TRUE(QFile::remove(slotsFile()));
  ASSERT_TRUE(QDir().mkpath(slotsFile()));
  slotsMenu.refreshCaptions();
  ASSERT_EQ(prompts.messages.size(), 3);
  EXPECT_TRUE(prompts.messages[2].contains(QStringLiteral("Store.ini")));
}

/// A screen whose pixel (x, y) has the colour (x mod 256, y mod 256, 77), with a scripted cursor.
class FakeScreen final : public ScreenSource {
public:
  QPoint cursor{500, 300};
  QList<QRect> grabs;
  QPoint cursorPosition() const override { return cursor; }
  QPixmap grab(const QRect& rect) override {
    grabs << rect;
    QImage image(rect.size(), QImage::Format_RGB32);
    for (int y = 0; y < rect.height(); ++y)
      for (int x = 0; x < rect.width(); ++x)
        image.setPixel(x, y, qRgb((rect.x() + x) & 0xFF, (rect.y() + y) & 0xFF, 77));
    return QPixmap::fromImage(image);
  }
};

TEST(MagnifierWindow, FollowsTheCursorWithOneGrabPerRedrawAndMarksItsPixel) {
  FakeScreen screen;
  Magnifier magnifier(screen);
  magnifier.showFollowing();
  // 3270 x 3195 twips at 15 twips per pixel, less the 300-twip option row: 218 x 193.
  EXPECT_EQ(magnifier.width(), 218);
  EXPECT_EQ(magnifier.viewHeightPx(), 193);
  EXPECT_TRUE(magnifier.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // Away from the picture and its tools: in the lower right of the screen.
  const QRect area = magnifier.screen()->availableGeometry();
  EXPECT_GT(magnifier.x(), area.center().x());
  EXPECT_GT(magnifier.y(), area.center().y());

  magnifier.tick();
  EXPECT_EQ(magnifier.windowTitle(), QStringLiteral("Magnification(500,300)"));
  // At 1.5 the source is 146 x 129 from (x - 72, y - 64), stretched to 218 x 194.
  ASSERT_EQ(screen.grabs.size(), 1);
  EXPECT_EQ(screen.grabs[0], QRect(428, 236, 146, 129));
  EXPECT_EQ(magnifier.view().deviceIndependentSize().toSize(), QSize(218, 194));

  // Standing still: four ticks copy nothing, the fifth after a copy (250 ms) copies again.
  for (int i = 0; i < 4; ++i)
    magnifier.tick();
  EXPECT_EQ(screen.grabs.size(), 1);
  magnifier.tick();
  EXPECT_EQ(screen.grabs.size(), 2);

  // "1" is 2 times: offsets 54/48, and the cursor's pixel lands on the crosshair centre.
  QTest::mouseClick(magnifier.findChild<QRadioButton*>("Option1(1)"), Qt::LeftButton);
  EXPECT_EQ(magnifier.zoomFactor(), 2);
  screen.cursor = {-20, 40}; // a monitor left of the primary one
  magnifier.tick();
  EXPECT_EQ(magnifier.windowTitle(), QStringLiteral("Magnification(-20,40)"));
  EXPECT_EQ(screen.grabs.last(), QRect(-74, -8, 109, 97));
  const QImage shown = magnifier.view().toImage();
  EXPECT_EQ(shown.pixel(Magnifier::CrosshairCentre()), qRgb((-20) & 0xFF, 40, 77));

  // Closed and shown again, it starts over at 1.5 with the first option, where the user put it.
  magnifier.move(magnifier.pos() - QPoint(30, 20));
  const QPoint placed = magnifier.pos();
  magnifier.closeMagnifier();
  EXPECT_FALSE(magnifier.isVisible());
  magnifier.showFollowing();
  EXPECT_EQ(magnifier.zoomFactor(), 1.5);
  EXPECT_TRUE(magnifier.findChild<QRadioButton*>("Option1(0)")->isChecked());
  EXPECT_EQ(magnifier.pos(), placed);
  // Shown, it follows the cursor on its own clock.
  const qsizetype grabs = screen.grabs.size();
  EXPECT_TRUE(QTest::qWaitFor([&] { return screen.grabs.size() > grabs; }));
  // Hidden (with a minimised main window), it copies nothing, however long the cursor stays.
  magnifier.hide();
  const qsizetype hidden = screen.grabs.size();
  for (int i = 0; i < 6; ++i) // one more than the ticks after which a still cursor is copied
    magnifier.tick();
  EXPECT_EQ(screen.grabs.size(), hidden);

  // The desktop copied across the screen's corner, where a red window lies, is black outside.
  QWidget red(nullptr, Qt::FramelessWindowHint);
  red.setStyleSheet(QStringLiteral("background: red"));
  red.setGeometry(0, 0, 50, 50);
  red.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&red));
  DesktopScreen desktop;
  const QImage corner = desktop.grab(QRect(-10, -20, 30, 40)).toImage();
  ASSERT_EQ(corner.size(), QSize(30, 40));
  EXPECT_EQ(corner.pixel(9, 39), qRgb(0, 0, 0));
  EXPECT_EQ(corner.pixel(10, 20), qRgb(255, 0, 0));
  // Wholly off the screen, and in memory just left white: black, not what was there.
  QImage(20, 10, QImage::Format_RGB32).fill(Qt::white);
  EXPECT_EQ(desktop.grab(QRect(-100, -100, 20, 10)).toImage().pixel(19, 9), qRgb(0, 0, 0));
}

} // namespace
} // namespace spot
