// Latency of one keystroke in the main window: from the key event on Text1
// until Text2 holds the new output and the window has painted itself again.
//
// Text1 already holds N characters, 70 % of them Chinese, either as one
// paragraph (the worst case: Qt lays out a whole paragraph again on every
// change of it) or in lines of 80 characters; the character is typed at its
// end or in its middle, in either format. Runs offscreen; the painting is
// real, into the window's backing store.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextCursor>
#include <cstdint>

#include "window/main_window.h"

namespace {

enum Position : std::int64_t { kAtEnd, kInMiddle };
enum Format : std::int64_t { kHex, kC };
enum Shape : std::int64_t { kOneParagraph, kLines };

constexpr qsizetype kLineLength = 80;

QString SampleInput(qsizetype size, Shape shape) {
  QString text;
  text.reserve(size);
  std::uint32_t state = 12345;
  while (text.size() < size) {
    if (shape == kLines && text.size() % (kLineLength + 1) == kLineLength) {
      text += u'\n';
      continue;
    }
    state = state * 1664525u + 1013904223u;
    const std::uint32_t r = state >> 8;
    text += r % 10 < 7 ? QChar(static_cast<char16_t>(0x4E00 + r % 0x51A6))
                       : QChar(static_cast<char16_t>(u'a' + r % 26));
  }
  return text;
}

void SendKey(QWidget* target, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

// Handles what the key left pending and paints the whole window now.
void Settle(QWidget& window) {
  QApplication::processEvents();
  window.repaint();
}

void TypeOneCharacter(benchmark::State& state) {
  const auto size = static_cast<qsizetype>(state.range(0));
  gbkhex::Form1 form;
  form.show();
  auto* const text1 = form.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
  auto* const text2 = form.findChild<QPlainTextEdit*>(QStringLiteral("Text2"));
  if (state.range(1) == kC) form.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
  text1->setPlainText(SampleInput(size, static_cast<Shape>(state.range(3))));
  QTextCursor cursor = text1->textCursor();
  cursor.setPosition(state.range(2) == kAtEnd ? static_cast<int>(size)
                                              : static_cast<int>(size / 2));
  text1->setTextCursor(cursor);
  text1->setFocus();
  Settle(form);
  const qsizetype outputSize = text2->toPlainText().size();

  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    SendKey(text1, Qt::Key_A, QStringLiteral("a"));
    Settle(form);
    state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) * 1e-9);

    state.PauseTiming();
    if (text2->toPlainText().size() <= outputSize) state.SkipWithError("Text2 did not change");
    SendKey(text1, Qt::Key_Backspace, QString());
    Settle(form);
    state.ResumeTiming();
  }
}

void Arguments(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"chars", "C", "middle", "lines"});
  for (const std::int64_t size : {1'000, 10'000, 100'000}) {
    for (const std::int64_t format : {kHex, kC}) {
      for (const std::int64_t position : {kAtEnd, kInMiddle}) {
        bench->Args({size, format, position, kOneParagraph});
      }
      bench->Args({size, format, kAtEnd, kLines});
    }
  }
}

BENCHMARK(TypeOneCharacter)
    ->Apply(Arguments)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
