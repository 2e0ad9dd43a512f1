#include "app/ChannelFactory.h"

#include "links/CTransporterSerial.h"
#include "links/HidDeviceSearch.h"
#include "links/HidWrapper.h"

namespace {

class SystemChannelFactory : public ChannelFactory {
public:
    std::unique_ptr<ILoaderComm> OpenSerial(const std::string& portPath, int baud) override {
        std::unique_ptr<CTransporterSerial> channel(
            new CTransporterSerial(portPath.c_str(), baud));
        if (!channel->IsOpen()) return nullptr;
        return channel;
    }

    std::vector<std::wstring> ListHid(uint16_t productId) override {
        std::vector<std::wstring> serials;
        for (const HidDeviceInfo& info : EnumerateHidDevices(kHidVendorId, productId))
            serials.push_back(info.serialNumber);
        return serials;
    }

    std::unique_ptr<ILoaderComm> ConnectHid(uint16_t productId, const std::wstring& serialNumber,
                                            int index) override {
        std::unique_ptr<HidWrapper> channel(new HidWrapper(productId, serialNumber, index));
        if (!channel->Connect()) return nullptr;
        return channel;
    }
};

}  // namespace

ChannelFactory& ChannelFactory::System() {
    static SystemChannelFactory factory;
    return factory;
}
