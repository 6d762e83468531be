-- One live order with its external number, supplier and client; no row for a
-- deleted or unknown order, or one whose supplier is not in VFornecedor.
-- The client is optional: orders created through EXEC carry none.
CREATE PROCEDURE SP_QBX_CON_PEDIDO_OLT1 (@PEDIDO_ID INTEGER)
AS
SELECT PEDIDO.PEDIDO_ID,
       PEDIDO.NUM_PEDIDO_EXTERNO AS num_pedido_externo,
       PEDIDO.FORNECEDOR_ID AS Fornecedor_ID,
       VFornecedor.Nome_Fantasia AS Fornecedor,
       PEDIDO.Cliente_ID AS Cliente_ID,
       VCliente.Nome_Fantasia AS Cliente
  FROM PEDIDO
  JOIN VFornecedor ON VFornecedor.Fornecedor_ID = PEDIDO.FORNECEDOR_ID
  LEFT JOIN VCliente ON VCliente.Pessoa_ID = PEDIDO.Cliente_ID
 WHERE PEDIDO.PEDIDO_ID = @PEDIDO_ID
   AND PEDIDO.TAB_STATUS_ID = 1;
