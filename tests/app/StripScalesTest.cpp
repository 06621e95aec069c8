// The scales beside the graphs at real link speeds, in every rate unit and at
// the window scales people use: every label whole, in order and round, the
// graph's top the top label's rate. With TRAVIMETRA_SCREENSHOTS set, each
// strip is saved there as a picture.
#include "MainFormFixture.h"

#include "core/FakeSensorNetwork.h"

#include "RateUnit.h"
#include "TVrScale.h"
#include "TVrScope.h"

#include <QFontMetrics>

#include <cmath>
#include <cstdlib>

namespace {

class StripScales : public MainFormFixture
{
protected:
    std::shared_ptr<FakeSensorNetwork> m_net = std::make_shared<FakeSensorNetwork>();
};

// A label's value in the unit: the digits, times a thousand for each step of
// k, M or G.
double labelValue(const QString& text)
{
    double factor = 1;
    QString digits = text;
    if (digits.endsWith('k'))
        factor = 1e3;
    else if (digits.endsWith('M'))
        factor = 1e6;
    else if (digits.endsWith('G'))
        factor = 1e9;
    if (factor > 1)
        digits.chop(1);
    bool ok = false;
    const double value = digits.toDouble(&ok);
    EXPECT_TRUE(ok) << text.toStdString();
    return value * factor;
}

bool roundStep(double step)
{
    if (!(step > 0))
        return false;
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    for (const double round : {1.0, 2.0, 2.5, 5.0})
        if (std::fabs(mantissa - round) < 1e-6)
            return true;
    return false;
}

const char* unitName(TRateUnit unit)
{
    switch (unit) {
    case TRateUnit::MegabitsPerSecond:
        return "mbits";
    case TRateUnit::MegabytesPerSecond:
        return "mbytes";
    case TRateUnit::KibibytesPerSecond:
        break;
    }
    return "kbytes";
}

TEST_F(StripScales, RealLinkSpeedsInEveryUnitAndScale)
{
    // 1 Mbit/s, 100 Mbit/s, 1 Gbit/s, 10 Gbit/s as the agent reports them.
    const std::int64_t speeds[] = {1000, 100000, 1000000, 10000000};
    TMonitorSettings s = typicalSettings();
    s.LatencySensor = true;
    s.ShowExtendedInfo = false;
    for (const std::int64_t speed : speeds) {
        s.Sensors.push_back(
            configuredSensor("127.0.0.1", std::to_string(speed / 1000) + " Mbit/s"));
        s.Sensors.back().DownSpeed = speed;
        s.Sensors.back().UpSpeed = speed;
        // Light grey labels and a yellow peak, legible in the pictures.
        s.Sensors.back().DarkColor = 0x909090;
        s.Sensors.back().LightColor = 0x00FFFF;
    }
    seedStore(s);
    auto form = makeForm(m_net);
    const char* folder = std::getenv("TRAVIMETRA_SCREENSHOTS");
    for (const TRateUnit unit : {TRateUnit::KibibytesPerSecond, TRateUnit::MegabitsPerSecond,
                                 TRateUnit::MegabytesPerSecond}) {
        for (const int scale : {100, 150, 200}) {
            SCOPED_TRACE(std::string(RateUnit::unitText(unit)) + " at " + std::to_string(scale) +
                         " %");
            form->usageSettings().RateUnit = unit;
            form->settings().ScaleSize = scale;
            form->UpdateControlProperties();
            for (std::size_t i = 0; i < std::size(speeds); ++i) {
                SCOPED_TRACE(std::to_string(speeds[i]) + " kbit/s");
                TSensorControls* c = form->sensorControls(int(i));
                ASSERT_NE(c, nullptr);
                const std::vector<TVrScale::Label> labels = c->Scale->labels();
                ASSERT_GE(labels.size(), 3u);
                const QFontMetrics metrics(c->Scale->font());
                std::vector<double> values;
                for (const TVrScale::Label& label : labels) {
                    // Whole: the text fits the scale's width, so nothing is cut.
                    EXPECT_LE(metrics.horizontalAdvance(label.text), c->Scale->width())
                        << label.text.toStdString();
                    values.push_back(labelValue(label.text));
                }
                EXPECT_EQ(values.front(), 0.0);
                const double step = values[1] - values[0];
                EXPECT_TRUE(roundStep(step)) << step;
                for (std::size_t k = 1; k < values.size(); ++k)
                    EXPECT_NEAR(values[k] - values[k - 1], step, step * 1e-6)
                        << labels[k].text.toStdString();
                // Nothing of the window covers a label: every pixel the scale
                // writes shows on the strip as it was written.
                const QImage strip = form->grab(c->Scale->geometry())
                                         .toImage()
                                         .convertToFormat(QImage::Format_RGB32);
                const QImage own = c->Scale->grab().toImage().convertToFormat(QImage::Format_RGB32);
                const QRgb background = own.pixel(0, own.height() - 1);
                int covered = 0;
                for (int y = 0; y < own.height(); ++y)
                    for (int x = 0; x < own.width(); ++x)
                        covered +=
                            own.pixel(x, y) != background && strip.pixel(x, y) != own.pixel(x, y);
                EXPECT_EQ(covered, 0) << "label pixels covered on the strip";
                // The graph's top is the top label's rate, and the line's
                // own rate is within the graph.
                const double topBytes = values.back() / RateUnit::inUnit(1.0, unit);
                EXPECT_NEAR(c->Scope->maxValue(), topBytes, topBytes * 1e-3);
                EXPECT_GE(topBytes * 1.0001, speeds[i] * 1000.0 / 8.0);
            }
            if (folder && *folder) {
                const QString name = QStringLiteral("%1/scales-%2-%3.png")
                                         .arg(QString::fromLocal8Bit(folder))
                                         .arg(QLatin1String(unitName(unit)))
                                         .arg(scale);
                EXPECT_TRUE(form->grab().save(name)) << name.toStdString();
            }
        }
    }
}

TEST_F(StripScales, TheDigitsOfTheUsualSpeedsStayAsTheyWere)
{
    TMonitorSettings s = typicalSettings();
    for (const std::int64_t speed : {128, 1024, 8192, 65536}) {
        s.Sensors.push_back(configuredSensor("127.0.0.1"));
        s.Sensors.back().DownSpeed = speed;
    }
    seedStore(s);
    auto form = makeForm(m_net);
    const QStringList tops = {"16", "128", "1024", "8192"};
    for (int i = 0; i < 4; ++i) {
        TSensorControls* c = form->sensorControls(i);
        const std::vector<TVrScale::Label> labels = c->Scale->labels();
        ASSERT_EQ(labels.size(), 9u);
        EXPECT_EQ(labels.back().text, tops[i]);
        EXPECT_EQ(c->Scale->maxValue(), tops[i].toInt());
        EXPECT_EQ(c->Scope->maxValue(), s.Sensors[std::size_t(i)].DownSpeed * 128);
    }
}

} // namespace
