#pragma once

// Modified Bessel functions of the second kind of orders 0 and 1 for x > 0, accurate to a few
// units in the last place. The scaled forms e^x K(x) stay finite where K underflows.
double BesselK0(double x);
double BesselK1(double x);
double ScaledBesselK0(double x);
double ScaledBesselK1(double x);

// K1(x) / K0(x), finite for every x > 0.
double BesselK1OverK0(double x);
