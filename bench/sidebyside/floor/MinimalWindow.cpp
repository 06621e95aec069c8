// The floor the program's window is measured against: a bare Qt window of
// the same size that repaints a small scrolling graph every second, and
// nothing else (no poll, no settings, no tray).
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <array>

namespace {

class Graph : public QWidget
{
public:
    Graph()
    {
        resize(260, 60);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_samples[m_next] = (m_next * 7) % 50;
            m_next = (m_next + 1) % int(m_samples.size());
            update();
        });
        m_timer.start(1000);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.setPen(Qt::green);
        for (int i = 1; i < int(m_samples.size()); ++i)
            painter.drawLine(i - 1, height() - m_samples[i - 1], i, height() - m_samples[i]);
    }

private:
    QTimer m_timer;
    std::array<int, 260> m_samples{};
    int m_next = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Graph graph;
    graph.show();
    return app.exec();
}
