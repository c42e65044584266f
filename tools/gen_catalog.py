#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes a valid product catalogue (tests/data/catalog/catalog.xsd) of about
the requested size, for benchmarks and large round trips.

    python3 tools/gen_catalog.py 50MB -o catalog.xml
    xmllint --noout --schema tests/data/catalog/catalog.xsd catalog.xml

The items cycle through the schema's constructs so that any slice of the
document uses most of them: the four item substitutes, media substitutes and
xsi:type media, xsi:type addresses and shipping methods, every wildcard
(foreign elements and attributes), nil and empty (defaulted) values, optional
members present and absent, choices, repeated in-line groups and every typed
collection. Identity constraints hold: SKUs are unique, and supplier
references, bundle components and promotion targets name existing entries.
The output depends only on the size and --seed.
"""
import argparse
import random
import re
import sys

CAT = 'http://example.com/ns/catalog'
EXT = 'http://example.com/ns/catalog/ext'
XSI = 'http://www.w3.org/2001/XMLSchema-instance'

WORDS = ['alpine', 'bright', 'compact', 'deluxe', 'eco', 'flex', 'grand', 'hybrid',
         'smart', 'nordic', 'classic', 'pro', 'ultra', 'mini', 'solar', 'quiet',
         'Caf\u00e9', 'S\u00fc\u00df', 'Smith & Sons', '<Limited>', '\u6771\u4eac',
         'rock\U0001F3B8']
COUNTRIES = ['AT', 'CH', 'DE', 'ES', 'FR', 'GB', 'IT', 'JP', 'NL', 'US']
CURRENCIES = ['EUR', 'USD', 'GBP', 'CHF', 'JPY']


def esc(text):
    return text.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;') \
               .replace('"', '&quot;')


class Catalog:
    def __init__(self, out, size, seed):
        self.out = out
        self.size = size
        self.written = 0
        self.rnd = random.Random(seed)
        self.skus = []        # every item SKU so far, for bundles and promotions
        self.suppliers = []

    def w(self, text):
        data = text.encode('utf-8')
        self.out.write(data)
        self.written += len(data)

    def leaf(self, indent, name, value, attrs=''):
        self.w('%s<%s%s>%s</%s>\n' % (indent, name, attrs, esc(value), name))

    def words(self, n):
        return ' '.join(self.rnd.choice(WORDS) for _ in range(n))

    def short(self, n=3):
        return self.words(n)[:80]

    def date(self, year_from=2000):
        return '%04d-%02d-%02d' % (self.rnd.randint(year_from, 2030), self.rnd.randint(1, 12),
                                   self.rnd.randint(1, 28))

    def datetime(self):
        zone = self.rnd.choice(['Z', '+02:00', '-05:00', ''])
        return '%sT%02d:%02d:%02d%s%s' % (self.date(), self.rnd.randint(0, 23),
                                          self.rnd.randint(0, 59), self.rnd.randint(0, 59),
                                          self.rnd.choice(['', '.5', '.125']), zone)

    def money(self):
        return '%d.%02d' % (self.rnd.randint(0, 99999), self.rnd.randint(0, 99))

    def measure(self):
        return '%d.%d' % (self.rnd.randint(1, 99999), self.rnd.randint(0, 9))

    # ---------------------------------------------------------------- document

    def document(self):
        r = self.rnd
        self.w('<?xml version="1.0" encoding="UTF-8"?>\n')
        self.w('<catalog xmlns="%s" xmlns:ext="%s" xmlns:xsi="%s"\n'
               '         xmlns:xhtml="http://www.w3.org/1999/xhtml"'
               ' xmlns:dc="http://purl.org/dc/elements/1.1/"\n'
               '         schemaVersion="2.1" generated="2025-03-01T08:00:00Z" lang="en">\n'
               % (CAT, EXT, XSI))
        self.header()
        self.leaf('  ', 'createdBy', 'gen_catalog')
        self.leaf('  ', 'createdAt', '2025-03-01T07:59:12.25Z')
        for i in range(6):
            self.supplier(i)
        # Leave room for the promotions and the trailer.
        budget = self.size - 4096
        top = 0
        while top == 0 or self.written < budget:
            self.category(top, budget)
            top += 1
        for i in range(3):
            self.promotion(i)
        self.w('  <ext:sustainability assessedBy="gen">\n'
               '    <ext:recycledContentPercent>%d</ext:recycledContentPercent>\n'
               '    <ext:co2eKg>%s</ext:co2eKg>\n  </ext:sustainability>\n'
               % (r.randint(1, 99), self.money()))
        self.w('  <sig:signature xmlns:sig="urn:example:signature" alg="ed25519">'
               'MEQCIFv0Yy1x</sig:signature>\n</catalog>\n')

    def header(self):
        self.w('  <header feed="generated" audience="all">\n')
        self.leaf('    ', 'title', 'Generated catalogue', ' lang="en"')
        self.leaf('    ', 'issued', '2025-03-01')
        self.leaf('    ', 'validUntil', '2025-06-30T23:59:59+02:00')
        self.w('    <revision/>\n')
        self.leaf('    ', 'publisher', '  Example   Retail GmbH ')
        self.w('    <contact><email>catalogue@example.com</email></contact>\n'
               '    <notes>Prices <b>exclude</b> shipping.</notes>\n'
               '    <legacyFeedInfo xmlns="" version="7"><batch>42</batch></legacyFeedInfo>\n'
               '  </header>\n')

    def address(self, indent, name, kind):
        r = self.rnd
        country = {'EU': 'DE', 'US': 'US', 'JP': 'JP', None: r.choice(COUNTRIES)}[kind]
        xsi = {'EU': 'EUAddressType', 'US': 'USAddressType', 'JP': 'ext:JPAddressType',
               None: None}[kind]
        attrs = ''
        if r.random() < 0.5:
            attrs += ' use="%s"' % r.choice(['office', 'warehouse', 'billing', 'returns'])
        if xsi:
            attrs += ' xsi:type="%s"' % xsi
        i2 = indent + '  '
        self.w('%s<%s%s>\n' % (indent, name, attrs))
        for _ in range(r.randint(1, 3)):
            self.leaf(i2, 'street', '%d %s Street' % (r.randint(1, 999), self.short(1)))
        self.leaf(i2, 'city', self.short(1))
        if r.random() < 0.6:
            self.leaf(i2, 'postalCode', '%05d' % r.randint(0, 99999))
        self.leaf(i2, 'country', country)
        if r.random() < 0.3:
            self.w('%s<geo><longitude>%.4f</longitude><latitude>%.4f</latitude>%s</geo>\n'
                   % (i2, r.uniform(-180, 180), r.uniform(-90, 90),
                      '<elevation>%d</elevation>' % r.randint(-400, 8000)
                      if r.random() < 0.5 else ''))
        if kind == 'EU' and r.random() < 0.7:
            self.leaf(i2, 'vatId', 'DE%09d' % r.randint(0, 999999999))
        elif kind == 'US':
            self.leaf(i2, 'state', r.choice(['CA', 'IL', 'NY', 'TX', 'WA']))
            self.leaf(i2, 'zip', '%05d-%04d' % (r.randint(0, 99999), r.randint(0, 9999)))
        elif kind == 'JP':
            self.leaf(i2, 'ext:prefecture', 'Tokyo')
        self.w('%s</%s>\n' % (indent, name))

    def contact(self, indent, i):
        r = self.rnd
        form = i % 4
        if form == 0:
            self.w('%s<contact><email>sales%d@example.com</email></contact>\n' % (indent, i))
        elif form == 1:
            self.w('%s<contact>%s</contact>\n' % (indent, ''.join(
                '<phone>+49 711 %06d</phone>' % r.randint(0, 999999)
                for _ in range(r.randint(1, 3)))))
        elif form == 2:
            self.w('%s<contact>\n' % indent)
            self.address(indent + '  ', 'postal', r.choice([None, 'EU', 'US']))
            self.w('%s</contact>\n' % indent)
        else:
            self.w('%s<contact><vc:vcard xmlns:vc="urn:ietf:params:xml:ns:vcard-4.0">'
                   '<vc:fn><vc:text>Desk %d</vc:text></vc:fn></vc:vcard></contact>\n'
                   % (indent, i))

    def supplier(self, i):
        r = self.rnd
        ident = 'SUP-%d' % i
        self.suppliers.append(ident)
        self.w('  <supplier id="%s"%s>\n' % (ident, ' active="false"' if i % 3 == 2 else ''))
        # An all group: members in a shuffled order.
        parts = [
            lambda: self.leaf('    ', 'name', 'Supplier %d %s' % (i, self.short(2))),
            lambda: self.leaf('    ', 'country', r.choice(COUNTRIES)),
            lambda: self.address('    ', 'address', ['EU', 'US', None, 'JP'][i % 4]),
            lambda: self.contact('    ', i),
            lambda: self.w('    <profile><q:iso9001 xmlns:q="urn:acme:quality" '
                           'certified="true"><q:since>2011</q:since></q:iso9001></profile>\n'
                           if i % 2 else '    <profile/>\n'),
        ]
        if i % 2 == 0:
            parts += [
                lambda: self.leaf('    ', 'code', 'ACM-%04d' % i),
                lambda: self.w('    <tier/>\n' if i % 4 else '    <tier>strategic</tier>\n'),
                lambda: self.address('    ', 'remitTo', ['JP', 'EU'][i % 2]),
                lambda: self.w('    <terms><netDays>%d</netDays><discountPercent>2.5'
                               '</discountPercent><discountDays>10</discountDays>'
                               '<billingDay>---15</billingDay><currency>EUR</currency>'
                               '</terms>\n' % r.randint(0, 120)),
                lambda: self.leaf('    ', 'leadTime', 'P%dD' % r.randint(1, 180)),
                lambda: self.w('    <image role="logo"><uri>https://cdn.example.com/s/%d.png'
                               '</uri><widthPx>64</widthPx><heightPx>64</heightPx></image>\n'
                               % i),
                lambda: self.leaf('    ', 'remarks', 'Prefers EDI orders.'),
            ]
        r.shuffle(parts)
        for part in parts:
            part()
        self.w('  </supplier>\n')

    # -------------------------------------------------------------- categories

    def category(self, index, budget, depth=0):
        r = self.rnd
        indent = '  ' * (depth + 1)
        i2 = indent + '  '
        code = 'cat-%d' % index if depth == 0 else 'sub-%d-%d' % (index, depth)
        legacy = ' ext:legacyId="%d"' % (1000 + index) if index % 2 else ''
        self.w('%s<category code="%s"%s>\n' % (indent, code, legacy))
        self.leaf(i2, 'name', 'Category %d' % index)
        if index % 3 == 0:
            self.leaf(i2, 'name', 'Kategorie %d' % index, ' lang="de"')
        if index % 4 == 1:
            self.w('%s<description>Goods for <em>every</em> room.</description>\n' % i2)
        if index % 5 == 2:
            self.w('%s<media role="icon" xsi:type="ImageType"><uri>https://cdn.example.com/'
                   'i/%d.png</uri><widthPx>64</widthPx><heightPx>64</heightPx></media>\n'
                   % (i2, index))
        if depth == 0:
            self.category(index, budget, depth + 1)
        # About 1 MB of items per category, fewer in small documents.
        limit = min(budget, self.written + 1000000)
        count = 0
        while count < 4 or (self.written < limit and count < 100000):
            self.item(i2, len(self.skus))
            count += 1
            if depth > 0 and count >= 4:
                break
        self.w('%s</category>\n' % indent)

    def item(self, indent, i):
        kind = i % 10
        if kind < 6 or len(self.skus) < 3:
            self.product(indent, i)
        elif kind < 8:
            self.service(indent, i)
        elif kind == 8:
            self.bundle(indent, i)
        else:
            self.gift_card(indent, i)

    def item_start(self, indent, name, prefix, i, extra=''):
        r = self.rnd
        sku = '%s-%08d' % (prefix, i)
        attrs = ' sku="%s"' % sku
        if i % 3 == 1:
            attrs += ' condition="%s"' % r.choice(['new', 'refurbished', 'used'])
        if i % 4 == 2:
            attrs += ' supplierRef="%s"' % r.choice(self.suppliers)
        if i % 5 == 3:
            attrs += ' ext:popularity="0.%02d"' % r.randint(0, 99)
        self.w('%s<%s%s%s>\n' % (indent, name, attrs, extra))
        i2 = indent + '  '
        self.leaf(i2, 'name', self.short(4) or 'x')
        if i % 2:
            self.leaf(i2, 'brand', self.short(1))
        for _ in range(i % 4):
            self.leaf(i2, 'keyword', ' %s ' % self.rnd.choice(WORDS)[:30])
        self.leaf(i2, 'status', r.choice(['draft', 'active', 'preorder', 'discontinued']))
        self.pricing(i2, i)
        if i % 7 == 0:
            self.w('%s<msrp xsi:nil="true"/>\n' % i2)
        elif i % 7 == 1:
            self.leaf(i2, 'msrp', self.money(), ' currency="%s"' % r.choice(CURRENCIES))
        self.skus.append(sku)
        return i2

    def pricing(self, indent, i):
        r = self.rnd
        form = i % 3
        if form == 0:
            attrs = ''
            if i % 2:
                attrs = ' currency="%s" vatIncluded="%s"' % (r.choice(CURRENCIES),
                                                            r.choice(['true', 'false']))
            body = '<listPrice%s>%s</listPrice>' % (attrs, self.money())
        elif form == 1:
            body = ''.join('<tierFrom>%d</tierFrom><tierPrice>%s</tierPrice>'
                           % (t * 10 + 1, self.money()) for t in range(r.randint(1, 3)))
        else:
            body = '<contractRef>FC%08d</contractRef>' % i
        self.w('%s<pricing>%s</pricing>\n' % (indent, body))

    def media(self, indent, i, name=None):
        r = self.rnd
        form = (i // 2) % 5
        tag = name or ['media', 'image', 'video', 'ext:model3d', 'media'][form]
        attrs = ''
        if i % 3 == 0:
            attrs += ' role="%s"' % r.choice(['primary', 'gallery', 'detail', 'banner'])
        if form == 4:
            attrs += ' xsi:type="ImageType"'
        if i % 4 == 1:
            attrs += ' dc:creator="Studio %d"' % (i % 17)
        body = '<uri>https://cdn.example.com/m/%d.bin</uri>' % i
        if i % 2:
            body += '<caption>View %d</caption><caption lang="de">Ansicht</caption>' % i
        if i % 5 == 0:
            body += '<sha1>%040X</sha1>' % r.getrandbits(160)
        if i % 6 == 0:
            body += '<thumbnail>R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7</thumbnail>'
        if tag == 'image' or form == 4:
            body += '<widthPx>%d</widthPx><heightPx>%d</heightPx>' % (r.randint(1, 4000),
                                                                      r.randint(1, 4000))
            if i % 2:
                body += '<altText>%s</altText>' % esc(self.short(2))
        elif tag == 'video':
            body += '<length>PT%dM%dS</length><codec>%s</codec>' % (
                r.randint(0, 59), r.randint(0, 59), r.choice(['h264', 'h265', 'vp9', 'av1']))
            if i % 2:
                body += '<bitrateKbps>%d</bitrateKbps>' % r.randint(100, 20000)
        elif tag == 'ext:model3d':
            body += '<ext:format>%s</ext:format>' % r.choice(['glb', 'usdz', 'obj'])
        self.w('%s<%s%s>%s</%s>\n' % (indent, tag, attrs, body, tag))

    def product(self, indent, i):
        r = self.rnd
        avail = ' availableIn="DE AT CH"' if i % 8 == 5 else ''
        i2 = self.item_start(indent, 'product', 'PR', i, avail)
        leaf = lambda name, value, attrs='': self.leaf(i2, name, value, attrs)
        if i % 5 == 0:
            self.w('%s<description lang="en">Text with <xhtml:b>%s</xhtml:b> inside.'
                   '</description>\n' % (i2, esc(self.short(2))))
        if i % 4 == 0:
            leaf('gtin', '%013d' % r.randint(0, 10 ** 13 - 1))
        if i % 6 == 1:
            codes = ''.join('<ean13>%013d</ean13>' % r.randint(0, 10 ** 13 - 1)
                            for _ in range(r.randint(1, 2)))
            if i % 12 == 7:
                codes = '<upcA>%012d</upcA>' % r.randint(0, 10 ** 12 - 1)
            self.w('%s<barcodes>%s</barcodes>\n' % (i2, codes))
        if i % 3 == 0:
            leaf('erpId', str(r.getrandbits(64)))
        leaf('releaseDate', self.date(1990))
        if i % 11 == 0:
            self.w('%s<discontinuedOn xsi:nil="true"/>\n' % i2)
        elif i % 11 == 1:
            leaf('discontinuedOn', self.date())
        if i % 2 == 0:
            leaf('modelYear', str(r.randint(1990, 2030)))
        for _ in range(i % 3):
            leaf('compatibleYear', str(r.randint(1990, 2030)))
        if i % 3 == 1:
            leaf('peakMonth', '--%02d' % r.randint(1, 12))
        for _ in range(i % 4):
            leaf('seasonMonth', '--%02d' % r.randint(1, 12))
        if i % 9 == 0:
            self.w('%s<minOrderQty/>\n' % i2)
        elif i % 9 == 1:
            leaf('minOrderQty', str(r.randint(1, 10 ** 20)))
        if i % 5 == 1:
            leaf('hazardous', r.choice(['true', 'false', '1', '0']))
        if i % 4 == 3:
            leaf('shelfLifeDays', str(r.randint(1, 32767)))
        if i % 3 == 2:
            leaf('warrantyYears', str(r.randint(0, 10)))
        for _ in range(i % 3):
            leaf('warrantyOption', r.choice(['P6M', 'P1Y', 'P2Y6M', 'P10Y']))
        if i % 2:
            leaf('averageRating', '%.1f' % r.uniform(0, 5))
        if i % 13 == 0:
            self.w('%s<energyClass xsi:nil="true"/>\n' % i2)
        elif i % 13 < 6:
            leaf('energyClass', r.choice('ABCDEFG'))
        for _ in range(i % 5):
            leaf('channel', r.choice(['web', 'store', 'marketplace', 'b2b']))
        if i % 7 == 2:
            self.w('%s<audience>%s</audience>\n' % (i2, ''.join(
                '<ageGroup>%s</ageGroup>' % g for g in r.sample(
                    ['infant', 'child', 'teen', 'adult', 'senior'], r.randint(0, 3)))))
        elif i % 7 == 3:
            self.w('%s<audience><segment>%s</segment></audience>\n' % (i2, esc(self.short(2))))
        if i % 10 == 0:
            self.w('%s<dimensions xsi:nil="true"/>\n' % i2)
        elif i % 10 < 4:
            unit = ' unit="%s"' % r.choice(['mm', 'cm', 'm', 'in']) if i % 2 else ''
            if i % 3:
                body = '<length>%s</length><width>%s</width><height>%s</height>' % (
                    self.measure(), self.measure(), self.measure())
            else:
                body = '<diameter>%s</diameter><height>%s</height>' % (self.measure(),
                                                                      self.measure())
            self.w('%s<dimensions%s>%s</dimensions>\n' % (i2, unit, body))
        if i % 3 == 1:
            leaf('weight', self.measure(), ' unit="%s"' % r.choice(['g', 'kg', 'lb', 'oz']))
        if i % 8 == 4:
            self.w('%s<specSheet><specName>Driver</specName><specValue> 40 </specValue>'
                   '<specUnit>mm</specUnit><specName>Codec</specName><specValue>LDAC'
                   '</specValue><bandMHz>2400</bandMHz><bandMHz>-5</bandMHz></specSheet>\n'
                   % i2)
        for k in range(i % 3):
            if (i + k) % 2:
                leaf('certification', 'CE-%d' % i,
                     ' authority="%s"' % r.choice(['CE', 'FCC', 'UL', 'TUV', 'RoHS']))
            else:
                leaf('declarationOfConformity', 'https://example.com/doc/%d.pdf' % i)
        for k in range(i % 4):
            self.media(i2, i + k)
        self.availability(i2, i)
        self.shipping(i2, i)
        if i % 6 == 5:
            self.address(i2, 'returnAddress', r.choice([None, 'EU', 'US', 'JP']))
        if i % 12 == 6:
            self.quality(i2)
        if i % 12 == 7:
            self.logistics(i2)
        if i % 9 == 4:
            self.w('%s<customFields><shelfLabel>L-%d</shelfLabel><merchandiser>jdoe'
                   '</merchandiser></customFields>\n' % (i2, i))
        if i % 10 == 5:
            self.w('%s<ext:warranty><ext:provider>Acme Care</ext:provider><ext:period>P2Y'
                   '</ext:period><ext:coverage>full</ext:coverage></ext:warranty>\n' % i2)
            self.w('%s<erp:item xmlns:erp="urn:acme:erp" plant="1000"><erp:matnr>%018d'
                   '</erp:matnr></erp:item>\n' % (i2, i))
        self.w('%s</product>\n' % indent)

    def availability(self, indent, i):
        r = self.rnd
        form = i % 4
        if form == 0:
            body = '<onHand>%d</onHand>' % r.randint(0, 4294967295)
        elif form == 1:
            body = ''.join('<warehouseStock warehouse="W%04d">%d</warehouseStock>'
                           % (r.randint(0, 9999), r.randint(0, 5000))
                           for _ in range(r.randint(1, 3)))
        elif form == 2:
            expected = ('<expected xsi:nil="true"/>' if i % 3 == 0 else
                        '<expected>%s</expected>' % self.date())
            quantity = '<quantity>%d</quantity>' % r.randint(1, 999) if i % 2 else ''
            body = '<backorder>%s%s</backorder>' % (expected, quantity)
        else:
            body = '<state>%s</state>' % r.choice(['made-to-order', 'sold-out', 'unknown'])
        self.w('%s<availability>%s</availability>\n' % (indent, body))

    def shipping(self, indent, i):
        r = self.rnd
        form = i % 3
        kind = ['CourierShippingType', 'FreightShippingType', 'ext:DroneShippingType'][form]
        fee = ('<flatFee>%s</flatFee>' if i % 2 else
               '<ratePerKg currency="USD">%s</ratePerKg>') % self.money()
        body = '<carrier>%s</carrier>%s' % (esc(self.short(2)), fee)
        if i % 4 == 0:
            body += '<orderCutoff>%02d:%02d:00</orderCutoff>' % (r.randint(6, 21),
                                                                 r.randint(0, 59))
        for _ in range(i % 3):
            body += '<deliveryDay>---%02d</deliveryDay>' % r.randint(1, 31)
        for _ in range(i % 2):
            body += '<blackoutDay>--12-25</blackoutDay>'
        if form == 0:
            if i % 2:
                body += '<express>%s</express>' % r.choice(['true', 'false'])
            if i % 4 == 1:
                body += '<trackingUrlTemplate>https://track.example.com/{id}' \
                        '</trackingUrlTemplate>'
        elif form == 1:
            if i % 2:
                body += '<storageTempC>%d</storageTempC>' % r.randint(-60, 100)
            body += '<maxPallets>%d</maxPallets>' % r.randint(0, 255)
        else:
            body += '<ext:maxPayloadKg>%d.%02d</ext:maxPayloadKg><ext:rangeKm>%.1f' \
                    '</ext:rangeKm>' % (r.randint(0, 24), r.randint(1, 99), r.uniform(1, 99))
        self.w('%s<shipping xsi:type="%s">%s</shipping>\n' % (indent, kind, body))

    def quality(self, indent):
        r = self.rnd
        body = '<inspectedAt>%s</inspectedAt>' % self.datetime()
        body += '<lotNumber>%d</lotNumber><lotNumber>987654321098765432109876</lotNumber>' % (
            r.randint(0, 10 ** 9))
        body += '<serialNumber>%d</serialNumber>' % r.getrandbits(64)
        body += '<operatingTemp>-10</operatingTemp><operatingTemp>45</operatingTemp>'
        body += '<measuredWeight>%.1f</measuredWeight><measuredWeight>2.549E2</measuredWeight>' % (
            r.uniform(0, 1000))
        body += '<measuredLength>%.3f</measuredLength>' % r.uniform(-10, 1000)
        body += '<testPassed>true</testPassed><testPassed>0</testPassed>'
        body += '<firmwareHash>%064X</firmwareHash>' % r.getrandbits(256)
        body += '<starRating>%d</starRating>' % r.randint(1, 5)
        self.w('%s<quality>%s</quality>\n' % (indent, body))

    def logistics(self, indent):
        r = self.rnd
        body = '<reorderPoint>%d</reorderPoint>' % r.randint(-2 ** 31, 2 ** 31 - 1)
        body += '<unitsSold>%d</unitsSold>' % r.randint(-2 ** 63, 2 ** 63 - 1)
        body += '<warehouseId>%d</warehouseId>' % r.randint(0, 2 ** 32 - 1)
        body += ''.join('<packSize>%d</packSize>' % r.randint(0, 65535) for _ in range(3))
        body += '<stockAdjustment>%d</stockAdjustment>' % r.randint(-999999, 999999)
        body += '<transactionId>%d</transactionId>' % r.randint(-2 ** 63, 2 ** 63 - 1)
        body += '<restockDate>%s</restockDate><restockDate>2025-04-01Z</restockDate>' % self.date()
        body += '<pickupTime>09:30:00</pickupTime><pickupTime>16:45:00+01:00</pickupTime>'
        body += '<productionRun>2024-%02d</productionRun>' % r.randint(1, 12)
        body += '<priceChangedAt>%s</priceChangedAt>' % self.datetime()
        body += '<historicPrice>%s</historicPrice>' % self.money()
        self.w('%s<logistics>%s</logistics>\n' % (indent, body))

    def service(self, indent, i):
        r = self.rnd
        i2 = self.item_start(indent, 'service', 'SV', i)
        self.leaf(i2, 'priority', str(r.randint(1, 3)))
        if i % 3 == 0:
            self.w('%s<responseTime xsi:nil="true"/>\n' % i2)
        else:
            self.leaf(i2, 'responseTime', 'PT%dH' % r.randint(1, 168))
        for day in r.sample(['Mon', 'Tue', 'Wed', 'Thu', 'Fri', 'Sat', 'Sun'], i % 4):
            self.w('%s<day>%s</day><opens>08:00:00</opens><closes>18:00:00</closes>\n'
                   % (i2, day))
        if i % 2:
            self.w('%s<sla uptime-class="gold"><sla:agreement xmlns:sla="urn:example:sla" '
                   'version="2"><sla:uptime>99.5</sla:uptime></sla:agreement></sla>\n' % i2)
        self.w('%s</service>\n' % indent)

    def bundle(self, indent, i):
        r = self.rnd
        components = r.sample(self.skus[-50:], 2 + i % 3)
        i2 = self.item_start(indent, 'bundle', 'BN', i)
        for k, sku in enumerate(components):
            quantity = ' quantity="%d"' % (k + 2) if k % 2 else ''
            self.w('%s<component sku="%s"%s/>\n' % (i2, sku, quantity))
        if i % 2:
            self.leaf(i2, 'savings', self.money(), ' currency="EUR"')
        self.w('%s</bundle>\n' % indent)

    def gift_card(self, indent, i):
        r = self.rnd
        i2 = self.item_start(indent, 'ext:giftCard', 'GC', i)
        self.leaf(i2, 'ext:faceValue', '%d.00' % r.choice([10, 25, 50, 100]), ' currency="EUR"')
        self.leaf(i2, 'ext:expires', '20%02d-%02d' % (r.randint(25, 40), r.randint(1, 12)))
        if i % 2:
            self.leaf(i2, 'ext:activationCode', 'oKGio6SlpqeoqaqrrK2urw==')
        if i % 4 == 1:
            self.w('%s<ext:redeemableOnline/>\n' % i2)
        self.w('%s</ext:giftCard>\n' % indent)

    # -------------------------------------------------------------- promotions

    def promotion(self, i):
        r = self.rnd
        self.w('  <promotion id="PROMO-%d"%s>\n' % (i, ' priority="3"' if i == 0 else ''))
        i2 = '    '
        self.leaf(i2, 'title', 'Promotion %d' % i)
        self.leaf(i2, 'startsAt', self.datetime())
        if i != 1:
            self.leaf(i2, 'endsAt', self.datetime())
            self.leaf(i2, 'annualStart', '--03-20')
        self.leaf(i2, 'discountPercent', '%d.%d' % (r.randint(1, 98), r.randint(0, 9)))
        if i == 0:
            target = ''.join('<sku>%s</sku>' % s for s in r.sample(self.skus, 3))
        elif i == 1:
            target = '<everything/>'
        else:
            target = '<categoryCode>cat-0</categoryCode>'
        self.w('%s<target>%s</target>\n' % (i2, target))
        creative = ['<xhtml:p>Up to 15% off.</xhtml:p>',
                    '<image><uri>https://cdn.example.com/p.png</uri><widthPx>1</widthPx>'
                    '<heightPx>1</heightPx></image><media><uri>https://cdn.example.com/m</uri>'
                    '</media>',
                    '<templateRef>https://cms.example.com/t</templateRef>'][i]
        self.w('%s<creative>%s</creative>\n' % (i2, creative))
        self.media(i2, i, 'media')
        self.w('%s<rules><r:rule xmlns:r="urn:example:rules" when="cart &gt; 100"/></rules>\n'
               % i2)
        for k in range(i):
            self.w('%s<annotation>Note %d</annotation>\n' % (i2, k))
        self.w('  </promotion>\n')


def parse_size(text):
    match = re.fullmatch(r'(\d+)\s*([kKmMgG]?)[bB]?', text)
    if not match:
        raise argparse.ArgumentTypeError('a size such as 50MB, 200kB or 100000')
    return int(match.group(1)) * {'': 1, 'k': 1 << 10, 'm': 1 << 20, 'g': 1 << 30}[
        match.group(2).lower()]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('size', type=parse_size, help='approximate size, e.g. 50MB')
    parser.add_argument('-o', '--output', help='output file (default: standard output)')
    parser.add_argument('--seed', type=int, default=17)
    args = parser.parse_args()
    if args.output:
        with open(args.output, 'wb') as out:
            Catalog(out, args.size, args.seed).document()
    else:
        Catalog(sys.stdout.buffer, args.size, args.seed).document()


if __name__ == '__main__':
    main()
