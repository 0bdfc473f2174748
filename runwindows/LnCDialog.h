// SPDX-License-Identifier: GPL-3.0-or-later
// "ln c vs r²/2": ln(reading) against r^2/2 with its least-squares line,
// the residuals below it and the apparent mass along the column, beside the
// numbers of the fit and what may make it unreliable. The speed and the
// temperature come from the scan's header line when it has one, else the
// user gives them; vbar and rho are the remembered pair, or the run
// window's.
#pragma once

#include "runs/Buoyancy.h"
#include "runs/LnCFit.h"

#include <QDialog>
#include <QString>

class Platform;
class QChart;
class QChartView;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

// What the window is opened on.
struct LnCInput {
    QString title; // the scan's name
    std::vector<RadialPoint> points; // the good points, by rising radius
    double lo = 0.0; // the range fitted (cm)
    double hi = 0.0;
    std::optional<double> rpm; // from the header line, when it can be right
    std::optional<double> temperature;
    // A header's speed or temperature that cannot be right, in words.
    QString headerProblem;
    bool absorbance = false; // the ceiling applies to its readings
    double ceiling = 1.5;
    // The pair of the run window it is opened from; nothing: the remembered.
    std::optional<Buoyancy> buoyancy;
};

// The speed and temperature of a header line, where they can be right; a
// header's value that cannot (a speed of 0) is told in `headerProblem`.
void TakeHeaderConstants(const ScanHeader &header, LnCInput &input);

// A scan of a run as its row of the report fits it: its good points over
// the options' range, or its first to last good point trimmed at each end.
LnCInput LnCInputOf(const Scan &scan, const RunOptions &options);

class LnCDialog : public QDialog
{
    Q_OBJECT

public:
    // The limits of the fields.
    static constexpr double LowestSpeed = 1000.0;
    static constexpr double HighestSpeed = 100000.0;
    static constexpr double LowestTemperature = -10.0;
    static constexpr double HighestTemperature = 60.0;

    LnCDialog(const LnCInput &input, Platform &platform, QWidget *parent = nullptr);

    const LnCFit &fit() const { return m_fit; }
    const FitConstants &constants() const { return m_constants; }

    QLineEdit *speedField() const { return m_speed; }
    QLineEdit *temperatureField() const { return m_temperature; }
    QLineEdit *vbarField() const { return m_vbar; }
    QLineEdit *densityField() const { return m_density; }
    QLabel *numbersLabel() const { return m_numbers; }
    QLabel *diagnosticsLabel() const { return m_diagnostics; }
    QChartView *lncView() const { return m_lncView; }
    QChartView *residualView() const { return m_residualView; }
    QChartView *massView() const { return m_massView; }
    QPushButton *exportPointsButton() const { return m_exportPoints; }

    // Reads the fields and fits again; a value out of range is refused with
    // a message naming the field and its range. False then.
    bool refit();
    // Export Plot as PNG, SVG or PDF (PlotFileFormat), Export Points as CSV.
    void exportPlot(int format);
    void exportPoints();
    // The points with the fit, as Export Points writes them.
    QByteArray pointsCsv() const;

    void render(QPainter &painter, const QRectF &target);
    QSize pictureSize() const;

private:
    void showFit();
    std::optional<double> fieldValue(
        QLineEdit *field, const QString &name, double lowest, double highest, const QString &unit);

    LnCInput m_input;
    Platform &m_platform;
    FitConstants m_constants;
    LnCFit m_fit;
    QLineEdit *m_speed = nullptr;
    QLineEdit *m_temperature = nullptr;
    QLineEdit *m_vbar = nullptr;
    QLineEdit *m_density = nullptr;
    QLabel *m_numbers = nullptr;
    QLabel *m_diagnostics = nullptr;
    QChart *m_lnc = nullptr;
    QChart *m_residuals = nullptr;
    QChart *m_masses = nullptr;
    QChartView *m_lncView = nullptr;
    QChartView *m_residualView = nullptr;
    QChartView *m_massView = nullptr;
    QPushButton *m_exportPoints = nullptr;
};
