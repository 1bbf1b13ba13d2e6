#include "app/core/ProductIdentity.h"

namespace {

QString &productNameSetting()
{
    static QString name = QString::fromLatin1(ProductIdentity::title);
    return name;
}

} // namespace

namespace ProductIdentity {

QString productName()
{
    return productNameSetting();
}

void setProductName(const QString &name)
{
    productNameSetting() = name;
}

} // namespace ProductIdentity
