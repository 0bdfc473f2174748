// SPDX-License-Identifier: GPL-3.0-or-later
#include "runwindows/LnCDialog.h"

#include "base/Platform.h"
#include "core/Profile.h"
#include "runs/RunReport.h"
#include "runwindows/RunExport.h"
#include "runwindows/TidyAxis.h"

#include <QChart>
#include <QChartView>
#include <QFileInfo>
#include <QFormLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace
{

QString numberText(double value)
{
    return QString::number(value, 'g', 10);
}

QChartView *chartView(QChart *&chart, const char *name, const QString &title)
{
    chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setTitle(title);
    auto *view = new QChartView(chart);
    view->setObjectName(QLatin1String(name));
    view->setAccessibleName(title);
    view->setRenderHint(QPainter::Antialiasing);
    view->setRubberBand(QChartView::RectangleRubberBand);
    view->setMinimumSize(160, 80);
    return view;
}

// The chart emptied and given two value axes with these titles.
std::pair<QValueAxis *, QValueAxis *> clearChart(QChart *chart, const QString &x, const QString &y)
{
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    // Tidy ticks, as many as the chart's size holds whole.
    auto *xAxis = new TidyAxis;
    xAxis->setTitleText(x);
    auto *yAxis = new TidyAxis;
    yAxis->setTitleText(y);
    xAxis->addTo(chart, Qt::AlignBottom);
    yAxis->addTo(chart, Qt::AlignLeft);
    return { xAxis, yAxis };
}

void attach(QChart *chart, QXYSeries *series, const std::pair<QValueAxis *, QValueAxis *> &axes)
{
    chart->addSeries(series);
    series->attachAxis(axes.first);
    series->attachAxis(axes.second);
}

// The axes round the points, a little wider.
void fitAxes(const std::pair<QValueAxis *, QValueAxis *> &axes, const std::vector<QPointF> &points)
{
    if (points.empty())
        return;
    double x0 = points.front().x(), x1 = x0, y0 = points.front().y(), y1 = y0;
    for (const QPointF &p : points) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    const double dx = x1 > x0 ? 0.03 * (x1 - x0) : 0.05;
    const double dy = y1 > y0 ? 0.05 * (y1 - y0) : std::max(1e-6, 0.05 * std::fabs(y0));
    axes.first->setRange(x0 - dx, x1 + dx);
    axes.second->setRange(y0 - dy, y1 + dy);
}

QScatterSeries *dots(const std::vector<QPointF> &points, const QColor &colour)
{
    auto *series = new QScatterSeries;
    series->setMarkerSize(4.0);
    series->setColor(colour);
    series->setBorderColor(colour);
    series->replace(QList<QPointF>(points.begin(), points.end()));
    return series;
}

} // namespace

void TakeHeaderConstants(const ScanHeader &header, LnCInput &input)
{
    input.absorbance = header.type == 'R';
    QStringList wrong;
    if (header.speed >= LnCDialog::LowestSpeed && header.speed <= LnCDialog::HighestSpeed)
        input.rpm = header.speed;
    else
        wrong << QStringLiteral("a speed of %1 rpm").arg(header.speed);
    if (header.temperature >= LnCDialog::LowestTemperature
        && header.temperature <= LnCDialog::HighestTemperature)
        input.temperature = header.temperature;
    else
        wrong << QStringLiteral("a temperature of %1 \u00b0C").arg(numberText(header.temperature));
    if (!wrong.isEmpty())
        input.headerProblem = QStringLiteral("The scan's header gives %1, which cannot be right.")
                                  .arg(wrong.join(QStringLiteral(" and ")));
}

LnCInput LnCInputOf(const Scan &scan, const RunOptions &options)
{
    LnCInput input;
    input.title = scan.name;
    input.points = GoodPoints(scan, options.ceiling);
    input.ceiling = options.ceiling;
    input.buoyancy = Buoyancy { options.vbar, options.density };
    std::tie(input.lo, input.hi) = FitRange(input.points, options);
    if (scan.header)
        TakeHeaderConstants(*scan.header, input);
    return input;
}

LnCDialog::LnCDialog(const LnCInput &input, Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_input(input)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("LnCPlot"));
    setWindowTitle(QStringLiteral("ln c vs r\u00b2/2 - ") + input.title);
    const QString settings = platform.settingsFilePath();
    m_constants.rpm = input.rpm;
    m_constants.temperature = input.temperature;
    const Buoyancy pair = input.buoyancy ? *input.buoyancy : RememberedBuoyancy(settings);
    m_constants.vbar = pair.vbar;
    m_constants.density = pair.density;

    m_lncView = chartView(m_lnc, "LnCChart", QStringLiteral("ln c against r\u00b2/2"));
    m_residualView = chartView(m_residuals, "ResidualChart", QStringLiteral("Residuals"));
    m_massView = chartView(
        m_masses, "ApparentMassChart", QStringLiteral("Apparent mass along the column"));
    auto *plots = new QSplitter(Qt::Vertical);
    plots->addWidget(m_lncView);
    plots->addWidget(m_residualView);
    plots->addWidget(m_massView);
    plots->setSizes({ 3000, 1500, 1500 });

    auto *form = new QFormLayout;
    const auto field = [form](const QString &caption, const char *name, const QString &text) {
        auto *edit = new QLineEdit(text);
        edit->setObjectName(QLatin1String(name));
        edit->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        form->addRow(caption, edit);
        return edit;
    };
    m_speed = field(
        QStringLiteral("&Speed (rpm):"), "Speed", input.rpm ? numberText(*input.rpm) : QString());
    m_temperature = field(QStringLiteral("&Temperature (\u00b0C):"), "Temperature",
        input.temperature ? numberText(*input.temperature) : QString());
    for (QLineEdit *fromHeader : { m_speed, m_temperature }) {
        if (!fromHeader->text().isEmpty()) {
            fromHeader->setReadOnly(true);
            fromHeader->setToolTip(QStringLiteral("From the scan's header line"));
        } else {
            fromHeader->setPlaceholderText(input.headerProblem.isEmpty()
                    ? QStringLiteral("not in the scan: give it")
                    : QStringLiteral("not right in the scan: give it"));
        }
    }
    m_vbar = field(QStringLiteral("&v\u0304 (mL/g):"), "Vbar", numberText(m_constants.vbar));
    m_density
        = field(QStringLiteral("&\u03c1 (g/mL):"), "Density", numberText(m_constants.density));

    m_numbers = new QLabel;
    m_numbers->setObjectName(QStringLiteral("FitNumbers"));
    m_numbers->setAccessibleName(QStringLiteral("Numbers of the fit"));
    m_numbers->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_diagnostics = new QLabel;
    m_diagnostics->setObjectName(QStringLiteral("Diagnostics"));
    m_diagnostics->setAccessibleName(QStringLiteral("Diagnostics"));
    m_diagnostics->setWordWrap(true);
    m_diagnostics->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *fitButton = new QPushButton(QStringLiteral("&Fit"));
    fitButton->setObjectName(QStringLiteral("Fit"));
    fitButton->setDefault(true);
    connect(fitButton, &QPushButton::clicked, this, &LnCDialog::refit);
    auto *plotButton = new QPushButton(QStringLiteral("Export &Plot"));
    plotButton->setObjectName(QStringLiteral("ExportPlot"));
    auto *plotMenu = new QMenu(plotButton);
    const char *formats[] = { "As &SVG...", "As P&DF...", "As P&NG..." };
    for (int format = 0; format < 3; ++format) {
        QAction *action = plotMenu->addAction(QLatin1String(formats[format]));
        connect(action, &QAction::triggered, this, [this, format] { exportPlot(format); });
    }
    plotButton->setMenu(plotMenu);
    m_exportPoints = new QPushButton(QStringLiteral("Export P&oints..."));
    m_exportPoints->setObjectName(QStringLiteral("ExportPoints"));
    connect(m_exportPoints, &QPushButton::clicked, this, &LnCDialog::exportPoints);
    auto *close = new QPushButton(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *side = new QVBoxLayout;
    side->addLayout(form);
    side->addWidget(fitButton);
    side->addWidget(m_numbers);
    side->addWidget(m_diagnostics, 1);
    side->addWidget(plotButton);
    side->addWidget(m_exportPoints);
    side->addWidget(close);
    auto *sideBox = new QWidget;
    sideBox->setLayout(side);
    sideBox->setMaximumWidth(380);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(plots, 1);
    layout->addWidget(sideBox);
    // Within the free screen, the smallest one included.
    const QRect area = platform.availableArea();
    resize(std::min(1000, area.width() * 9 / 10), std::min(720, area.height() * 9 / 10));

    m_fit = FitLnC(m_input.points, m_input.lo, m_input.hi, m_constants);
    showFit();
}

std::optional<double> LnCDialog::fieldValue(
    QLineEdit *field, const QString &name, double lowest, double highest, const QString &unit)
{
    bool ok = false;
    const double value = field->text().trimmed().toDouble(&ok);
    if (ok && std::isfinite(value) && value >= lowest && value <= highest)
        return value;
    m_platform.messageBox(QStringLiteral("%1 must be a number from %2 to %3%4.")
                              .arg(name, numberText(lowest), numberText(highest), unit),
        QStringLiteral("ln c vs r\u00b2/2"), MsgStyle::Exclamation);
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

bool LnCDialog::refit()
{
    const std::optional<double> rpm = fieldValue(
        m_speed, QStringLiteral("Speed"), LowestSpeed, HighestSpeed, QStringLiteral(" rpm"));
    if (!rpm)
        return false;
    const std::optional<double> temperature
        = fieldValue(m_temperature, QStringLiteral("Temperature"), LowestTemperature,
            HighestTemperature, QStringLiteral(" \u00b0C"));
    if (!temperature)
        return false;
    const std::optional<double> vbar = fieldValue(
        m_vbar, QStringLiteral("v\u0304"), LowestVbar, HighestVbar, QStringLiteral(" mL/g"));
    if (!vbar)
        return false;
    const std::optional<double> density = fieldValue(m_density, QStringLiteral("\u03c1"),
        LowestDensity, HighestDensity, QStringLiteral(" g/mL"));
    if (!density)
        return false;
    if (*vbar * *density == 1.0) {
        m_platform.messageBox(QStringLiteral("v\u0304 times \u03c1 must not be 1: the mass would "
                                             "have no buoyancy."),
            QStringLiteral("ln c vs r\u00b2/2"), MsgStyle::Exclamation);
        m_density->setFocus();
        return false;
    }
    if (*vbar != m_constants.vbar || *density != m_constants.density)
        RememberBuoyancy(m_platform.settingsFilePath(), { *vbar, *density });
    m_constants = { rpm, temperature, *vbar, *density };
    m_fit = FitLnC(m_input.points, m_input.lo, m_input.hi, m_constants);
    showFit();
    return true;
}

void LnCDialog::showFit()
{
    const QString xi = QStringLiteral("r\u00b2/2 (cm\u00b2)");
    auto lncAxes = clearChart(m_lnc, xi, QStringLiteral("ln c"));
    attach(m_lnc, dots(m_fit.lnc, QColor(0, 110, 0)), lncAxes);
    fitAxes(lncAxes, m_fit.lnc);
    auto residualAxes = clearChart(m_residuals, xi, QStringLiteral("Residual"));
    auto massAxes = clearChart(m_masses, xi, QStringLiteral("Mass (kDa)"));
    QStringList numbers;
    if (m_fit.sigma) {
        auto *line = new QLineSeries;
        line->setName(QStringLiteral("Least-squares line"));
        line->setPen(QPen(QColor(200, 40, 40), 1.5));
        const double x0 = m_fit.lnc.front().x(), x1 = m_fit.lnc.back().x();
        line->append(x0, m_fit.intercept + *m_fit.sigma * x0);
        line->append(x1, m_fit.intercept + *m_fit.sigma * x1);
        attach(m_lnc, line, lncAxes);
        std::vector<QPointF> residuals;
        for (size_t i = 0; i < m_fit.lnc.size(); ++i)
            residuals.emplace_back(m_fit.lnc[i].x(), m_fit.residuals[i]);
        attach(m_residuals, dots(residuals, QColor(0, 90, 200)), residualAxes);
        fitAxes(residualAxes, residuals);
        std::vector<QPointF> masses
            = ApparentMass(m_fit, m_constants, std::max(10, m_fit.points / 5));
        for (QPointF &p : masses)
            p.setY(p.y() / 1000.0); // kDa: short labels on a small plot
        auto *massLine = new QLineSeries;
        massLine->replace(QList<QPointF>(masses.begin(), masses.end()));
        attach(m_masses, massLine, massAxes);
        fitAxes(massAxes, masses);
        numbers << QStringLiteral("\u03c3 = %1 cm\u207b\u00b2").arg(*m_fit.sigma, 0, 'g', 6)
                << QStringLiteral("Buoyant mass M(1 - v\u0304\u03c1) = %1 g/mol")
                       .arg(*m_fit.buoyantMass, 0, 'f', 0);
        if (m_fit.mass)
            numbers << QStringLiteral("Mass = %1 g/mol (%2 kDa)")
                           .arg(*m_fit.mass, 0, 'f', 0)
                           .arg(*m_fit.mass / 1000.0, 0, 'f', 2);
        numbers << QStringLiteral("Points: %1, from %2 to %3 cm")
                       .arg(m_fit.points)
                       .arg(m_fit.lo, 0, 'f', 4)
                       .arg(m_fit.hi, 0, 'f', 4)
                << QStringLiteral("rms of the fit: %1").arg(*m_fit.rms, 0, 'g', 4);
    } else {
        if (!m_input.headerProblem.isEmpty() && !(m_constants.rpm && m_constants.temperature))
            numbers << m_input.headerProblem;
        numbers << (m_constants.rpm && m_constants.temperature
                ? QStringLiteral("No fit: %1 points; at least %2 are needed.")
                      .arg(m_fit.points)
                      .arg(MinFitPoints)
                : QStringLiteral("No fit: give the speed and the temperature, then Fit."));
    }
    m_numbers->setText(numbers.join(QLatin1Char('\n')));
    const QStringList said = LnCDiagnostics(m_fit, m_input.ceiling, m_input.absorbance);
    m_diagnostics->setText(said.isEmpty()
            ? QStringLiteral("No warnings.")
            : QStringLiteral("\u2022 ") + said.join(QStringLiteral("\n\u2022 ")));
    m_exportPoints->setEnabled(m_fit.sigma.has_value());
}

QByteArray LnCDialog::pointsCsv() const
{
    QByteArray csv = "x_cm,xi_cm2,reading,ln_reading,fit,residual\n";
    for (size_t i = 0; i < m_fit.lnc.size(); ++i) {
        const double xi = m_fit.lnc[i].x();
        const double ln = m_fit.lnc[i].y();
        const double line = m_fit.intercept + m_fit.sigma.value_or(0.0) * xi;
        // Radius and reading as the file holds them, not computed back.
        csv += FloatText(m_fit.fitted[i].x) + ',' + ReportText(xi) + ','
            + FloatText(m_fit.fitted[i].c) + ',' + ReportText(ln) + ',' + ReportText(line) + ','
            + ReportText(
                i < m_fit.residuals.size() ? ReportValue(m_fit.residuals[i]) : ReportValue())
            + '\n';
    }
    return csv;
}

void LnCDialog::exportPoints()
{
    ExportCsv(m_platform, QStringLiteral("Export Points"),
        QFileInfo(m_input.title).completeBaseName() + QStringLiteral("-lnc.csv"), pointsCsv());
}

void LnCDialog::exportPlot(int format)
{
    ExportPicture(m_platform, this, PlotFileFormat(format), pictureSize(),
        [this](QPainter &painter, const QRectF &target) { render(painter, target); });
}

QSize LnCDialog::pictureSize() const
{
    int height = 0;
    int width = 0;
    for (const QChartView *view : { m_lncView, m_residualView, m_massView }) {
        height += view->height();
        width = std::max(width, view->width());
    }
    return QSize(width, height);
}

void LnCDialog::render(QPainter &painter, const QRectF &target)
{
    const QSize size = pictureSize();
    if (size.isEmpty())
        return;
    double top = target.top();
    for (QChartView *view : { m_lncView, m_residualView, m_massView }) {
        const double height = target.height() * view->height() / size.height();
        view->scene()->render(
            &painter, QRectF(target.left(), top, target.width(), height), view->sceneRect());
        top += height;
    }
}
